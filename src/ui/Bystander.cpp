#include "Bystander.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWindow>

Bystander::Bystander(Notices& notices, const QString& title)
    : QWidget(nullptr, Qt::Window | Qt::WindowDoesNotAcceptFocus) {
    setWindowTitle(title);
    connect(&notices, &Notices::told, this, [this](const Notice& n) {
        game_.follow(n);
        told(n);
    });
    // The host's windows keep the keyboard, and the program ends with them.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::NoFocus);
    placing_.setSingleShot(true);
    placing_.setInterval(30);
    connect(&placing_, &QTimer::timeout, this, &Bystander::place);
    connect(qApp, &QGuiApplication::screenAdded, &placing_, qOverload<>(&QTimer::start));
    connect(qApp, &QGuiApplication::screenRemoved, &placing_, qOverload<>(&QTimer::start));
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* w) {
        if (w && !(w->flags() & Qt::WindowDoesNotAcceptFocus))
            host_ = w;
    });
    // The host's windows moving, coming and going, and this one's state as the desktop applies it.
    qApp->installEventFilter(this);
}

Bystander::~Bystander() {
    qApp->removeEventFilter(this);
    disconnect(qApp, nullptr, this, nullptr);
}

// The goodbye and the about box are tool windows: while one is up it may be all the host has.
QList<QWidget*> Bystander::hostWindows() {
    QList<QWidget*> out, tools;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (const Qt::WindowType t = w->windowType();
            w->isVisible() && !(w->windowFlags() & Qt::WindowDoesNotAcceptFocus) &&
            (t == Qt::Window || t == Qt::Dialog || t == Qt::Tool))
            (t == Qt::Tool ? tools : out) << w;
    return out + tools;
}

QWindow* Bystander::hostWindow() const {
    if (const QWidget* modal = QApplication::activeModalWidget())
        return modal->windowHandle();
    if (host_ && host_->isVisible())
        return host_;
    if (const QWidget* active = QApplication::activeWindow();
        active && !(active->windowFlags() & Qt::WindowDoesNotAcceptFocus))
        return active->windowHandle();
    const QList<QWidget*> hosts = hostWindows();
    return hosts.isEmpty() ? nullptr : hosts.first()->windowHandle();
}

qint64 Bystander::covering(const QRect& r) const {
    qint64 area = 0;
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (const Qt::WindowType t = w->windowType();
            w != this && w->isVisible() && (t == Qt::Window || t == Qt::Dialog || t == Qt::Tool))
            if (const QRect both = w->frameGeometry() & r; !both.isEmpty())
                area += qint64(both.width()) * both.height();
    return area;
}

// A key the desktop gave this window all the same goes on to the host's, as if typed there; and
// the keyboard is handed back.
bool Bystander::event(QEvent* event) {
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

bool Bystander::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (!watched->isWindowType())
        return false;
    if (watched == windowHandle()) {
        // Applied by the desktop, as asked or of its own accord.
        if (type == QEvent::WindowStateChange)
            placing_.start(0);
    } else if (type == QEvent::Move || type == QEvent::Show || type == QEvent::Hide ||
               type == QEvent::ScreenChangeInternal) {
        if (const auto* w = static_cast<QWindow*>(watched);
            (w->type() == Qt::Window || w->type() == Qt::Dialog || w->type() == Qt::Tool) &&
            !(w->flags() & Qt::WindowDoesNotAcceptFocus))
            placing_.start();
    }
    return false;
}
