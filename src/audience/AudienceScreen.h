#pragma once

#include "AudiencePainter.h"
#include "AudienceView.h"

#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <array>

class Console;
class QWindow;

// The players' view of the game on a TV or projector: it follows the host's windows, is told of
// every key, click, clock tick and hand-over by the Application, and never takes the keyboard.
class AudienceScreen final : public QWidget {
    Q_OBJECT
public:
    // `screenName` names the screen to fill; empty for the first screen without the host's windows.
    // Create it before the host's first window: some compositors give the keyboard to the window
    // mapped last, whatever is asked later.
    AudienceScreen(Console& console, const QString& screenName = {});
    ~AudienceScreen() override;

    const audience::Frame& frame() const { return frame_; }
    const audience::Layout& layout() const { return layout_; }
    // Works the frame out again from the game, and draws it if it changed.
    void refresh();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    audience::Scene scene();
    void place();
    void windowed();
    QScreen* chosenScreen() const;
    bool holdsHost(const QScreen* s) const;
    QList<QWidget*> hostWindows() const;
    // The window of the host's that keys typed here go on to.
    QWindow* hostWindow() const;

    Console& console_;
    QString screenName_;
    audience::Frame frame_;
    audience::Layout layout_;
    std::array<bool, 10> outAtVoteOff_{};
    QPointer<QWidget> voteOff_;
    QPointer<QWindow> host_;     // the host's window that last had the keyboard
    QPointer<QScreen> placedOn_; // the screen it fills, if any
    QTimer placing_;             // gathers the moves and screen changes of one moment
};
