#include "Windows.h"
#include "audience/AudienceScreen.h"
#include "questions/QuestionCard.h"
#include "sound/LazyAudio.h"
#include "ui/Console.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QScreen>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {

constexpr const char* usage =
    "Usage: quolmar [--audience[=SCREEN]] [[--questions] FILE] [--help | --version] [Qt options]\n"
    "The game-control console for \"The Brackwyn\", an elimination quiz: the host reports\n"
    "each answer with a key press and quolmar keeps the money chain, the bank and the clock.\n"
    "Without options it opens the start window.\n"
    "\n"
    "  --audience[=SCREEN]  also show the game to the players, full-screen on SCREEN (by\n"
    "                       default the first screen without the host's windows)\n"
    "  --questions FILE     show the host the questions of FILE (also --questions=FILE),\n"
    "                       one by one as the game goes, on a card beside the game: a\n"
    "                       spreadsheet (.ods, .xlsx, or CSV or tab-separated text), the\n"
    "                       question in the first column and its answer in the second\n"
    "  --help               show this text and exit\n"
    "  --version            show the version and exit\n"
    "Qt's own options, such as -platform and -display, go to Qt.\n"
    "The manual page (man 6 quolmar) tells how to host a game, the keys, and what to do\n"
    "when something goes wrong.\n";

struct Options {
    bool help = false;
    bool version = false;
    bool audience = false;
    QString screen;
    bool screenAfterSpace = false; // "--audience NAME": NAME must be a connected screen
    QString questions; // the host's question file, if any
};

// Qt's own options, with "-" or "--"; those in the first list take a value.
bool isQtOption(const QString& name, bool& takesValue) {
    static const QStringList withValue{
        "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
        "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
        "style",       "stylesheet",         "qmljsdebugger", "name",    "title",
        "visual"};
    static const QStringList flags{"reverse", "widgetcount", "nograb", "dograb", "sync"};
    takesValue = withValue.contains(name);
    return takesValue || flags.contains(name);
}

bool refuse(const char* what, const char* arg) {
    std::fprintf(stderr, "quolmar: %s '%s'\nTry 'quolmar --help' for more information.\n", what,
                 arg);
    return false;
}

// Reads the command line before Qt starts, so --help and --version need no display, and a
// mistyped option is refused rather than left to Qt. Returns false after telling what is wrong.
bool readOptions(int argc, char* argv[], Options& o) {
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (!arg.startsWith(u'-') || arg == u"--questions" || arg.startsWith(u"--questions=")) {
            if (!o.questions.isEmpty())
                return refuse("one question file at a time, not also", argv[i]);
            o.questions = !arg.startsWith(u'-')   ? arg
                          : arg != u"--questions" ? arg.section(u'=', 1)
                          : i + 1 < argc          ? QString::fromLocal8Bit(argv[++i])
                                                  : QString();
            if (o.questions.isEmpty())
                return refuse("a file must follow", argv[i]);
        } else if (arg == u"--help")
            o.help = true;
        else if (arg == u"--version")
            o.version = true;
        else if (arg == u"--audience" || arg.startsWith(u"--audience=")) {
            o.audience = true;
            o.screen = arg.section(u'=', 1);
            // A readable file after it is the question file, as it always was.
            const QString next = i + 1 < argc ? QString::fromLocal8Bit(argv[i + 1]) : QString();
            if (arg == u"--audience" && !next.isEmpty() && !next.startsWith(u'-') &&
                !QFileInfo(next).isFile()) {
                o.screen = next;
                o.screenAfterSpace = true;
                ++i;
            }
        } else if (bool value = false;
                   arg.startsWith(u'-') &&
                   isQtOption(arg.mid(arg.startsWith(u"--") ? 2 : 1).section(u'=', 0, 0), value)) {
            i += value && !arg.contains(u'=') ? 1 : 0;
        } else {
            return refuse("unknown option", argv[i]);
        }
    }
    return true;
}

bool platformGiven(int argc, char* argv[]) {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           std::any_of(argv + 1, argv + argc, [](const char* a) {
               return std::strcmp(a, "-platform") == 0 || std::strcmp(a, "--platform") == 0;
           });
}

bool displayThere() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Asks Qt for Wayland only where a Wayland display is there: on X11 with Qt's Wayland plugin
// installed, some desktops would have Qt try it first and say on standard error that it failed.
// With `orNone`, a display that does not answer falls back to no screens rather than an abort.
void choosePlatform(int argc, char* argv[], bool orNone) {
    if (platformGiven(argc, argv) || !displayThere())
        return;
    QByteArray platforms = qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "xcb" : "wayland;xcb";
    if (orNone) {
        platforms += ";offscreen";
        qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    }
    qputenv("QT_QPA_PLATFORM", platforms);
}

// The screens, for choosing the audience's, when a display can be reached; without one the
// help is printed all the same.
void listScreens(int argc, char* argv[]) {
    if (!platformGiven(argc, argv) && !displayThere())
        return;
    choosePlatform(argc, argv, true);
    const bool fallback = qgetenv("QT_QPA_PLATFORM").endsWith(";offscreen");
    QGuiApplication app(argc, argv);
    if (fallback && QGuiApplication::platformName() == u"offscreen")
        return;
    std::puts("\nScreens:");
    for (const QScreen* s : QGuiApplication::screens()) {
        const QRect g = s->geometry();
        std::printf("  %-12s %dx%d at %d,%d%s\n", qPrintable(s->name()), g.width(), g.height(),
                    g.x(), g.y(), s == QGuiApplication::primaryScreen() ? " (primary)" : "");
    }
}

// --help or --version, answered without any display; the exit status.
int helpOrVersion(const Options& options, int argc, char* argv[]) {
    if (options.help) {
        std::fputs(usage, stdout);
        std::fflush(stdout);
        listScreens(argc, argv);
    } else {
        std::puts("quolmar " QUOLMAR_VERSION);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// Refuses to start, in one line on standard error; started where that is seen by no one (from
// the file manager or the menu), in a box as well. The exit status.
int refuseToStart(const QString& line, int argc, char* argv[]) {
    const QString text = QStringLiteral("quolmar: ") + line;
    std::fprintf(stderr, "%s\n", qPrintable(text));
    if (isatty(STDERR_FILENO) || !(displayThere() || platformGiven(argc, argv)))
        return 2;
    std::unique_ptr<QApplication> own;
    if (QApplication::instance() == nullptr) {
        choosePlatform(argc, argv, true);
        own = std::make_unique<QApplication>(argc, argv);
    }
    if (QGuiApplication::platformName() != u"offscreen")
        MessageBoxDialogs().message(text);
    return 2;
}

// Sets the program icon after the first window has been exposed and painted.
class IconWhenShown final : public QObject {
public:
    IconWhenShown() { QCoreApplication::instance()->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Expose && !set_) {
            set_ = true;
            QCoreApplication::instance()->removeEventFilter(this);
            QTimer::singleShot(0, [] {
                QIcon icon;
                for (const char* size : {"16", "32", "48"})
                    icon.addFile(
                        QStringLiteral(":/icons/%1x%1/quolmar.png").arg(QLatin1String(size)));
                QApplication::setWindowIcon(icon);
            });
        }
        return false;
    }

private:
    bool set_ = false;
};

// A window that follows the game, mapped before it returns, but not for long: a desktop that
// never shows it must not hold the game.
template <typename W> std::unique_ptr<W> mapped(std::unique_ptr<W> window) {
    window->show();
    QElapsedTimer waited;
    waited.start();
    while (!window->windowHandle()->isExposed() && waited.elapsed() < 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return window;
}

bool connected(const QString& screen) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    return std::any_of(screens.cbegin(), screens.cend(),
                       [&](const QScreen* s) { return s->name() == screen; });
}

std::unique_ptr<AudienceScreen> openAudience(Console& console, const QString& screen) {
    if (!screen.isEmpty() && !connected(screen))
        std::fprintf(stderr,
                     "quolmar: no screen named '%s' yet; the audience screen opens "
                     "as a window until it is connected\n",
                     qPrintable(screen));
    return mapped(std::make_unique<AudienceScreen>(console, screen));
}

// The environment the sound libraries read, set while the program has one thread: setting it
// later would race with any thread reading it.
void soundEnvironment() {
    // Outside a desktop session the sound server's client library would fall back to making
    // folders and links in the home directory; the toolkit's own runtime folder serves instead.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!runtime.isEmpty())
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    }
    // What the synthesiser's driver would otherwise set on its own thread.
    if (qEnvironmentVariableIsEmpty("PULSE_PROP_media.role"))
        qputenv("PULSE_PROP_media.role", "music");
}

} // namespace

int main(int argc, char* argv[]) {
    Options options;
    if (!readOptions(argc, argv, options))
        return 2;
    if (options.help || options.version)
        return helpOrVersion(options, argc, argv);
    // A file that cannot serve is refused before any window opens.
    questions::QuestionFile deck;
    if (!options.questions.isEmpty()) {
        deck = questions::read(options.questions);
        for (const QString& line : questions::notices(options.questions, deck))
            std::fprintf(stderr, "quolmar: %s\n", qPrintable(line));
        if (!deck.ok())
            return refuseToStart(questions::refusal(options.questions, deck), argc, argv);
    }

    soundEnvironment();
    choosePlatform(argc, argv, false);
    QApplication app(argc, argv);
    if (options.screenAfterSpace && !connected(options.screen))
        return refuseToStart(QStringLiteral("%1: neither a connected screen nor a readable file; "
                                            "did you mean --audience=%1?")
                                 .arg(options.screen),
                             argc, argv);
    QApplication::setApplicationName(QStringLiteral("quolmar"));
    QApplication::setApplicationVersion(QStringLiteral(QUOLMAR_VERSION));
    // The windows are drawn to fixed designs; one style keeps them alike on every desktop.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    MessageBoxDialogs dialogs;
    // Nothing of the sound is loaded yet, so the start window shows at once.
    const QString dir = QApplication::applicationDirPath();
    LazyAudio audio(dir + QStringLiteral("/quolmar-audio.so"));
    Console console(dialogs, audio, audio, dir);
    registerWindows(console.forms);
    console.forms.setQuitHandler([] { QApplication::quit(); });
    // Before the start window: on some desktops the window shown last gets the keyboard, whatever
    // is asked later, and the host's must have it.
    const std::unique_ptr<AudienceScreen> audience =
        options.audience ? openAudience(console, options.screen) : nullptr;
    const std::unique_ptr<questions::QuestionCard> card =
        !deck.questions.isEmpty()
            ? mapped(std::make_unique<questions::QuestionCard>(console, std::move(deck.questions)))
            : nullptr;
    console.forms.show(windows::opening);
    // Every window inherits the program icon. Reading its images loads Qt's image plugins, so
    // it is set once the start window has been drawn.
    IconWhenShown iconWhenShown;
    return QApplication::exec();
}
