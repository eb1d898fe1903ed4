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
#include <QGuiApplication>
#include <QMouseEvent>
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
    connect(qApp, &QGuiApplication::screenAdded, this, [this] {
        if (!isFullScreen())
            place();
    });
    // Unplugged: a window on the main screen, until a screen is plugged in again.
    connect(qApp, &QGuiApplication::screenRemoved, this, [this](QScreen* gone) {
        if (screen() == gone)
            windowed();
    });
    refresh();
    place();
}

// The widget's own destruction hides it, which the application reports: no longer listening.
AudienceScreen::~AudienceScreen() {
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

QScreen* AudienceScreen::chosenScreen() const {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (!screenName_.isEmpty()) {
        for (QScreen* s : screens)
            if (s->name() == screenName_)
                return s;
        return nullptr;
    }
    // A screen holds the host's windows if they are on it, or over it: a screen that is
    // reconfigured comes back as a new object at the same place.
    const auto holdsHost = [this](QScreen* s) {
        bool any = false;
        for (const QString& name : console_.forms.loaded())
            if (const Form* w = console_.forms.find(name); w->isVisible() && w->screen()) {
                any = true;
                if (w->screen() == s || (w->screen()->virtualSiblings().contains(s) &&
                                         s->geometry().contains(w->frameGeometry().center())))
                    return true;
            }
        return !any && s == QGuiApplication::primaryScreen();
    };
    for (QScreen* s : screens)
        if (!holdsHost(s))
            return s;
    return nullptr;
}

void AudienceScreen::place() {
    QScreen* s = chosenScreen();
    if (s == nullptr) // one screen: a window the host can drag to a projector
        return windowed();
    setWindowFlag(Qt::FramelessWindowHint, true);
    setScreen(s);
    setGeometry(s->geometry());
    fullScreen(true);
}

void AudienceScreen::windowed() {
    if (isVisible() && !isFullScreen())
        return;
    const bool wasShown = isVisible(); // on a screen that has gone, or now holds the host's
    setWindowFlag(Qt::FramelessWindowHint, false);
    fullScreen(false);
    resize(1280, 720);
    if (wasShown && QGuiApplication::primaryScreen())
        move(QGuiApplication::primaryScreen()->availableGeometry().topLeft() + QPoint(40, 40));
}

// As showFullScreen() and showNormal(), without asking for the keyboard.
void AudienceScreen::fullScreen(bool on) {
    setWindowState(on ? windowState() | Qt::WindowFullScreen
                      : windowState() & ~Qt::WindowFullScreen);
    setVisible(true);
}

void AudienceScreen::paintEvent(QPaintEvent*) {
    QPainter p(this);
    audience::paint(p, layout_);
}

void AudienceScreen::resizeEvent(QResizeEvent*) {
    layout_ = audience::layoutFor(frame_, size());
}

void AudienceScreen::mouseDoubleClickEvent(QMouseEvent*) {
    fullScreen(!isFullScreen());
}
