#pragma once

#include "state/Notice.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QWindow;

// A window that follows the game beside the host's (the audience screen, the question card), by
// the game's notices: it never keeps the keyboard, and a key the desktop gives it all the same
// goes on to the host's.
class Bystander : public QWidget {
    Q_OBJECT
public:
    Bystander(Notices& notices, const QString& title);
    ~Bystander() override;

    // The host's windows on show: those that take the keyboard.
    static QList<QWidget*> hostWindows();
    // The window of the host's that keys typed here go on to.
    QWindow* hostWindow() const;

protected:
    // Each notice of the game, once `game_` has followed it.
    virtual void told(const Notice& notice) = 0;
    // Where the host's windows or the screens changed, gathered over one moment; and where the
    // desktop applied this window's own state.
    virtual void place() = 0;
    // How much of the windows on show other than this one the rectangle covers.
    qint64 covering(const QRect& r) const;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    GameView game_;
    QTimer placing_;

private:
    QPointer<QWindow> host_; // the host's window that last had the keyboard
};
