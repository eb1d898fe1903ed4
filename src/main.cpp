#include "Windows.h"
#include "setup/Opening.h"
#include "sound/FluidMidiDevice.h"
#include "sound/SdlWavPlayer.h"
#include "ui/Console.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QStyleFactory>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quolmar"));
    QApplication::setApplicationVersion(QStringLiteral("2.01"));
    // The windows are drawn to fixed designs; one style keeps them alike on every desktop.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    MessageBoxDialogs dialogs;
    // Neither player touches the sound hardware yet, so the start window shows at once.
    SdlWavPlayer wav;
    FluidMidiDevice midi;
    Console console(dialogs, wav, midi, QApplication::applicationDirPath());
    registerWindows(console.forms);
    console.forms.setQuitHandler([] { QApplication::quit(); });
    console.forms.show(Opening::windowName);
    // The audio device opens once the start window is up, so the first clip starts on time.
    QTimer::singleShot(250, &app, [&wav] { wav.open(); });
    return QApplication::exec();
}
