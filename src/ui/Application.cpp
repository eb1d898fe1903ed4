#include "Application.h"

#include <QTimer>

bool Application::notify(QObject* receiver, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool result = QApplication::notify(receiver, event);
    if (type == QEvent::KeyPress || type == QEvent::MouseButtonRelease || type == QEvent::Show ||
        type == QEvent::Hide || (type == QEvent::Timer && qobject_cast<QTimer*>(receiver)))
        emit handled();
    return result;
}
