#include "Windows.h"
#include "setup/Opening.h"
#include "sound/SilentPlayers.h"
#include "ui/Console.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quolmar"));
    QApplication::setApplicationVersion(QStringLiteral("2.01"));
    // The windows are drawn to fixed designs; one style keeps them alike on every desktop.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    MessageBoxDialogs dialogs;
    SilentWavPlayer wav;
    SilentMidiDevice midi;
    Console console(dialogs, wav, midi, QApplication::applicationDirPath());
    registerWindows(console.forms);
    console.forms.setQuitHandler([] { QApplication::quit(); });
    console.forms.show(Opening::windowName);
    return QApplication::exec();
}
