#pragma once

#include "AudiencePainter.h"
#include "AudienceView.h"

#include <QPointer>
#include <QWidget>
#include <array>

class Console;
class QScreen;

// The players' view of the game on a TV or projector: it follows the host's windows, is told of
// every key, click, clock tick and hand-over by the Application, and never takes the keyboard.
class AudienceScreen final : public QWidget {
    Q_OBJECT
public:
    // `screenName` names the screen to fill; empty for the first screen without the host's windows.
    AudienceScreen(Console& console, const QString& screenName = {});
    ~AudienceScreen() override;

    const audience::Frame& frame() const { return frame_; }
    const audience::Layout& layout() const { return layout_; }
    // Works the frame out again from the game, and draws it if it changed.
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    audience::Scene scene();
    void place();
    void windowed();
    void fullScreen(bool on);
    QScreen* chosenScreen() const;

    Console& console_;
    QString screenName_;
    audience::Frame frame_;
    audience::Layout layout_;
    std::array<bool, 10> outAtVoteOff_{};
    QPointer<QWidget> voteOff_;
};
