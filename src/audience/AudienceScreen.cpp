#include "AudienceScreen.h"

#include "ui/Console.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>
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
    : Bystander(console.notices, QStringLiteral("The Brackwyn - audience screen")),
      console_(console), screenName_(screenName) {
    static const bool factory = (QAccessible::installFactory(accessibleFactory), true);
    Q_UNUSED(factory);
    setObjectName(QStringLiteral("AudienceScreen"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::BlankCursor);
    setMinimumSize(320, 180);
    filling_.setSingleShot(true);
    filling_.setInterval(1500);
    connect(&filling_, &QTimer::timeout, this, &AudienceScreen::checkFilled);
    refresh();
    place();
}

void AudienceScreen::refresh() {
    audience::Frame next = audience::frameFor(game_, console_.state);
    // The winner stays on show until the next game's team is entered.
    if (next.phase == audience::Phase::Title && frame_.phase == audience::Phase::Winner &&
        game_.stage == Stage::Start)
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
    // Between two of the host's windows: where the last one was, or else the desktop's primary.
    return hosts.isEmpty() && s == (hostScreen_ ? hostScreen_.data() : QGuiApplication::primaryScreen());
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
    if (const QList<QWidget*> hosts = hostWindows(); !hosts.isEmpty() && hosts.first()->screen())
        hostScreen_ = hosts.first()->screen();
    QScreen* target = chosenScreen();
    if (isFullScreen()) {
        if (target == placedOn_ && target && isVisible())
            return;
        setWindowState(windowState() & ~Qt::WindowFullScreen);
        return placing_.start(250); // again when the change is applied, or at the latest then
    }
    if (target == nullptr)
        return windowed();
    if (target != placedOn_)
        refills_ = 0;
    placedOn_ = target;
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setScreen(target);
    setGeometry(target->geometry());
    setWindowState(windowState() | Qt::WindowFullScreen);
    setVisible(true);
    filling_.start();
}

// A compositor may leave a request to fill a screen unapplied, the window at its smallest there,
// while it sets up its outputs; asked once more, it fills it. A desktop that never will is let be.
void AudienceScreen::checkFilled() {
    const QSize room = placedOn_ ? placedOn_->geometry().size() : QSize();
    if (!isFullScreen() || !isVisible() || room.isEmpty() || refills_ >= 3 ||
        (width() * 10 >= room.width() * 9 && height() * 10 >= room.height() * 9))
        return;
    ++refills_;
    setWindowState(windowState() & ~Qt::WindowFullScreen);
    placing_.start(250);
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
    // Placed by its frame, title bar included, once the desktop has told how large that is.
    const QSize framed = size + frameGeometry().size() - geometry().size();
    const QPoint far = room.bottomRight() - QPoint(framed.width(), framed.height()) + QPoint(1, 1);
    QRect best;
    for (const QPoint& at :
         {room.topLeft(), QPoint(far.x(), room.top()), QPoint(room.left(), far.y()), far})
        if (const QRect r(at, framed); best.isNull() || covering(r) < covering(best))
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
