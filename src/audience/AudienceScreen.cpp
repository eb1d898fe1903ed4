#include "AudienceScreen.h"

#include "final/Finalround.h"
#include "round/Maingame.h"
#include "setup/Names.h"
#include "ui/Application.h"
#include "ui/Console.h"
#include "voteoff/Goodbye.h"
#include "voteoff/Voteoff.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace {

// Each text of the screen is a static text to the accessibility bridge, as a label's is.
class TextAccessible final : public QAccessibleInterface {
public:
    TextAccessible(AudienceScreen* screen, int index) : screen_(screen), index_(index) {}
    bool isValid() const override { return screen_ && index_ < texts().size(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return screen_ ? screen_->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(screen_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? texts()[index_]->text : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect r = texts()[index_]->glyphs().toAlignedRect();
        return {screen_->mapToGlobal(r.topLeft()), r.size()};
    }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override { return {}; }

    QList<const audience::Item*> texts() const {
        QList<const audience::Item*> out;
        if (screen_)
            for (const audience::Item& item : screen_->layout().items)
                if (!item.text.isEmpty())
                    out << &item;
        return out;
    }

private:
    QPointer<AudienceScreen> screen_;
    int index_;
};

class ScreenAccessible final : public QAccessibleWidget {
public:
    explicit ScreenAccessible(AudienceScreen* screen)
        : QAccessibleWidget(screen, QAccessible::Window), screen_(screen) {}
    ~ScreenAccessible() override {
        for (QAccessible::Id id : ids_)
            QAccessible::deleteAccessibleInterface(id);
    }
    int childCount() const override { return int(TextAccessible(screen_, 0).texts().size()); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount())
            return nullptr;
        while (ids_.size() <= index)
            ids_ << QAccessible::registerAccessibleInterface(
                new TextAccessible(screen_, int(ids_.size())));
        return QAccessible::accessibleInterface(ids_[index]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (qsizetype i = 0; i < ids_.size(); ++i)
            if (QAccessible::accessibleInterface(ids_[i]) == child)
                return int(i);
        return -1;
    }

private:
    AudienceScreen* screen_;
    mutable QList<QAccessible::Id> ids_;
};

QAccessibleInterface* accessibleFactory(const QString& key, QObject* object) {
    if (key == QLatin1String("AudienceScreen"))
        return new ScreenAccessible(static_cast<AudienceScreen*>(object));
    return nullptr;
}

} // namespace

AudienceScreen::AudienceScreen(Console& console, const QString& screenName)
    : QWidget(nullptr, Qt::Window | Qt::WindowDoesNotAcceptFocus), console_(console),
      screenName_(screenName) {
    static const bool factory = (QAccessible::installFactory(accessibleFactory), true);
    Q_UNUSED(factory);
    setObjectName(QStringLiteral("AudienceScreen"));
    setWindowTitle(QStringLiteral("The Brackwyn - audience screen"));
    // The host's windows keep the keyboard, and the program ends with them.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::BlankCursor);
    setMinimumSize(320, 180);
    if (auto* app = qobject_cast<Application*>(qApp))
        connect(app, &Application::handled, this, &AudienceScreen::refresh);
    placing_.setSingleShot(true);
    placing_.setInterval(30);
    connect(&placing_, &QTimer::timeout, this, &AudienceScreen::place);
    connect(qApp, &QGuiApplication::screenAdded, &placing_, qOverload<>(&QTimer::start));
    connect(qApp, &QGuiApplication::screenRemoved, &placing_, qOverload<>(&QTimer::start));
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* w) {
        if (w && w != windowHandle())
            host_ = w;
    });
    // The host's windows moving, coming and going, and this one's state as the desktop applies it.
    qApp->installEventFilter(this);
    refresh();
    place();
}

// The widget's own destruction hides it, which the application reports: no longer listening.
AudienceScreen::~AudienceScreen() {
    qApp->removeEventFilter(this);
    disconnect(qApp, nullptr, this, nullptr);
}

audience::Scene AudienceScreen::scene() {
    using W = audience::Scene::Window;
    audience::Scene sc;
    Form* on = nullptr;
    for (const QString& name : console_.forms.loaded())
        if (Form* w = console_.forms.find(name); w->isVisible() && name != windows::about)
            on = w;
    const GameState& s = console_.state;
    if (auto* g = qobject_cast<Maingame*>(on)) {
        sc = {W::Game, &g->format, &g->round()};
    } else if (auto* v = qobject_cast<Voteoff*>(on)) {
        sc = {W::VoteOff, &v->format};
        // Who was out when it opened tells, once it hands over, who is leaving.
        if (voteOff_ != v)
            std::copy(s.PlayerOut.begin(), s.PlayerOut.end(), outAtVoteOff_.begin());
        voteOff_ = v;
    } else if (auto* bye = qobject_cast<Goodbye*>(on)) {
        sc = {W::Goodbye, &bye->format};
        for (int i = 1; i <= bye->format.players && sc.leaving == 0; ++i)
            sc.leaving = s.PlayerOut[i] && !outAtVoteOff_[std::size_t(i)] ? i : 0;
    } else if (auto* f = qobject_cast<Finalround*>(on)) {
        sc = {W::Final, nullptr, nullptr, &f->rules()};
    } else if (qobject_cast<Names*>(on)) {
        sc.window = W::TeamEntry;
    }
    return sc;
}

void AudienceScreen::refresh() {
    const audience::Scene sc = scene();
    audience::Frame next = audience::frameFor(sc, console_.state);
    // The winner stays on show until the next game's team is entered.
    if (next.phase == audience::Phase::Title && frame_.phase == audience::Phase::Winner &&
        sc.window == audience::Scene::Window::Other)
        return;
    if (next == frame_ && !layout_.size.isEmpty())
        return;
    frame_ = std::move(next);
    layout_ = audience::layoutFor(frame_, size());
    update();
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::VisibleDataChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

QList<QWidget*> AudienceScreen::hostWindows() const {
    QList<QWidget*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible() &&
            (w->windowType() == Qt::Window || w->windowType() == Qt::Dialog))
            out << w;
    return out;
}

// A screen holds the host's windows if they are on it, or, where the desktop tells windows'
// places, over it: a screen that is reconfigured comes back as a new object at the same place.
bool AudienceScreen::holdsHost(const QScreen* s) const {
    const bool placed = !QGuiApplication::platformName().startsWith(u"wayland");
    const QList<QWidget*> hosts = hostWindows();
    for (const QWidget* w : hosts)
        if (const QScreen* on = w->screen();
            on == s || (placed && on && on->virtualSiblings().contains(s) &&
                        s->geometry().contains(w->frameGeometry().center())))
            return true;
    return hosts.isEmpty() && s == QGuiApplication::primaryScreen();
}

QScreen* AudienceScreen::chosenScreen() const {
    const QList<QScreen*> screens = QGuiApplication::screens();
    // Where it is, while that still suits: no hopping between free screens.
    if (placedOn_ && isFullScreen() && screens.contains(placedOn_) && !holdsHost(placedOn_) &&
        (screenName_.isEmpty() || placedOn_->name() == screenName_))
        return placedOn_;
    for (QScreen* s : screens)
        if ((screenName_.isEmpty() || s->name() == screenName_) && !holdsHost(s))
            return s;
    return nullptr;
}

// One step at a time, each taken once the desktop has applied the one before: a full-screen
// window told to leave its screen and fill another at once stays where it was on Wayland.
void AudienceScreen::place() {
    QScreen* target = chosenScreen();
    if (isFullScreen()) {
        if (target == placedOn_ && target && isVisible())
            return;
        setWindowState(windowState() & ~Qt::WindowFullScreen);
        return placing_.start(250); // again when the change is applied, or at the latest then
    }
    if (target == nullptr)
        return windowed();
    placedOn_ = target;
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setScreen(target);
    setGeometry(target->geometry());
    setWindowState(windowState() | Qt::WindowFullScreen);
    setVisible(true);
}

// No screen to itself: a window on the host's screen, no larger than half of it, in the corner
// that covers least of the host's windows.
void AudienceScreen::windowed() {
    placedOn_ = nullptr;
    const QWindow* host = hostWindow();
    QScreen* s = host && host->screen() ? host->screen() : QGuiApplication::primaryScreen();
    if (s == nullptr)
        return;
    const QRect room = s->availableGeometry();
    QSize size(1280, 720);
    if (size.width() > room.width() / 2 || size.height() > room.height() / 2)
        size.scale(room.size() / 2, Qt::KeepAspectRatio);
    const QList<QWidget*> hosts = hostWindows();
    const auto covered = [&hosts](const QRect& r) {
        qint64 area = 0;
        for (const QWidget* w : hosts)
            if (const QRect both = w->frameGeometry() & r; !both.isEmpty())
                area += qint64(both.width()) * both.height();
        return area;
    };
    // Placed by its frame, title bar included, once the desktop has told how large that is.
    const QSize framed = size + frameGeometry().size() - geometry().size();
    const QPoint far = room.bottomRight() - QPoint(framed.width(), framed.height()) + QPoint(1, 1);
    QRect best;
    for (const QPoint& at :
         {room.topLeft(), QPoint(far.x(), room.top()), QPoint(room.left(), far.y()), far})
        if (const QRect r(at, framed); best.isNull() || covered(r) < covered(best))
            best = r;
    setMaximumSize(size);
    resize(size);
    if (frameGeometry().topLeft() != best.topLeft())
        move(best.topLeft());
    setVisible(true);
}

void AudienceScreen::paintEvent(QPaintEvent*) {
    QPainter p(this);
    audience::paint(p, layout_);
}

void AudienceScreen::resizeEvent(QResizeEvent*) {
    layout_ = audience::layoutFor(frame_, size());
}

QWindow* AudienceScreen::hostWindow() const {
    if (const QWidget* modal = QApplication::activeModalWidget())
        return modal->windowHandle();
    if (host_ && host_->isVisible())
        return host_;
    if (const QWidget* active = QApplication::activeWindow(); active && active != this)
        return active->windowHandle();
    const QList<QWidget*> hosts = hostWindows();
    return hosts.isEmpty() ? nullptr : hosts.first()->windowHandle();
}

// A key the desktop gave this window all the same goes on to the host's, as if typed there; and
// the keyboard is handed back.
bool AudienceScreen::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (QWindow* host = hostWindow()) {
            const auto* k = static_cast<QKeyEvent*>(event);
            QKeyEvent copy(k->type(), k->key(), k->modifiers(), k->nativeScanCode(),
                           k->nativeVirtualKey(), k->nativeModifiers(), k->text(),
                           k->isAutoRepeat(), k->count());
            QCoreApplication::sendEvent(host, &copy);
        }
        return true;
    case QEvent::WindowActivate:
        if (QWindow* host = hostWindow())
            host->requestActivate();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool AudienceScreen::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (!watched->isWindowType())
        return false;
    if (watched == windowHandle()) {
        // Applied by the desktop, as asked or of its own accord.
        if (type == QEvent::WindowStateChange)
            placing_.start(0);
    } else if (type == QEvent::Move || type == QEvent::Show || type == QEvent::Hide ||
               type == QEvent::ScreenChangeInternal) {
        if (const auto t = static_cast<QWindow*>(watched)->type();
            t == Qt::Window || t == Qt::Dialog)
            placing_.start();
    }
    return false;
}
