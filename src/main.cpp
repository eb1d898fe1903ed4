#include "Windows.h"
#include "sound/FluidMidiDevice.h"
#include "sound/SdlWavPlayer.h"
#include "ui/Console.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* usage =
    "Usage: quolmar [--help | --version]\n"
    "The game-control console for \"The Brackwyn\", an elimination quiz: the host reports\n"
    "each answer with a key press and quolmar keeps the money chain, the bank and the clock.\n"
    "Without options it opens the start window.\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n";

// Answers the command line before Qt starts, so --help and --version need no display.
// Returns the exit status, or -1 to go on and open the windows.
int commandLine(int argc, char* argv[]) {
    bool help = false;
    bool version = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            help = true;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            version = true;
        } else {
            std::fprintf(stderr,
                         "quolmar: unknown option '%s'\n"
                         "Try 'quolmar --help' for more information.\n",
                         argv[i]);
            return 2;
        }
    }
    if (help)
        std::fputs(usage, stdout);
    else if (version)
        std::puts("quolmar " QUOLMAR_VERSION);
    else
        return -1;
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (const int status = commandLine(argc, argv); status >= 0)
        return status;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quolmar"));
    QApplication::setApplicationVersion(QStringLiteral(QUOLMAR_VERSION));
    // Every window inherits the program icon.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/resources/quolmar.svg")));
    // The windows are drawn to fixed designs; one style keeps them alike on every desktop.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    // Outside a desktop session the sound server's client library would fall back to making
    // folders and links in the home directory; the toolkit's own runtime folder serves instead.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!runtime.isEmpty())
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    }

    MessageBoxDialogs dialogs;
    // Neither player touches the sound hardware yet, so the start window shows at once.
    SdlWavPlayer wav;
    FluidMidiDevice midi;
    Console console(dialogs, wav, midi, QApplication::applicationDirPath());
    registerWindows(console.forms);
    console.forms.setQuitHandler([] { QApplication::quit(); });
    console.forms.show(windows::opening);
    // The audio device opens once the start window is up, so the first clip starts on time.
    QTimer::singleShot(250, &app, [&wav] { wav.open(); });
    return QApplication::exec();
}
