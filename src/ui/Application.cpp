#include "Application.h"

#include <QTimer>

bool Application::notify(QObject* receiver, QEvent* event) {
    // Asked before: a receiver may be gone once it has handled its event.
    const QEvent::Type type = event->type();
    const bool followed = type == QEvent::KeyPress || type == QEvent::MouseButtonRelease ||
                          type == QEvent::Show || type == QEvent::Hide ||
                          (type == QEvent::Timer && qobject_cast<QTimer*>(receiver));
    const bool result = QApplication::notify(receiver, event);
    if (followed)
        emit handled();
    return result;
}
