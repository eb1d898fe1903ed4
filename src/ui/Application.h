#pragma once

#include <QApplication>

// The program's application object. It says when the host's input, a window's showing or the
// round clock has been handled, so that a screen following the game (the audience's) is told
// of every change without the windows knowing of it.
class Application final : public QApplication {
    Q_OBJECT
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;

signals:
    void handled();
};
