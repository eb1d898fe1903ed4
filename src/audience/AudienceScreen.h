#pragma once

#include "AudiencePainter.h"
#include "AudienceView.h"
#include "ui/Bystander.h"

#include <QPointer>
#include <QScreen>

class Console;

// The players' view of the game on a TV or projector: it follows the game by its notices, keeps
// clear of the host's windows, and never takes the keyboard.
class AudienceScreen final : public Bystander {
    Q_OBJECT
public:
    // `screenName` names the screen to fill; empty for the first screen without the host's windows.
    // Create it before the host's first window: some compositors give the keyboard to the window
    // mapped last, whatever is asked later.
    AudienceScreen(Console& console, const QString& screenName = {});

    const audience::Frame& frame() const { return frame_; }
    const audience::Layout& layout() const { return layout_; }
    // Works the frame out again from the game, and draws it if it changed.
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void place() override;
    void told(const Notice&) override { refresh(); }

private:
    void windowed();
    void checkFilled();
    QScreen* chosenScreen() const;
    bool holdsHost(const QScreen* s) const;

    Console& console_;
    QString screenName_;
    audience::Frame frame_;
    audience::Layout layout_;
    QPointer<QScreen> placedOn_;   // the screen it fills, if any
    QPointer<QScreen> hostScreen_; // where the host's windows were last seen
    QTimer filling_;               // whether the screen asked for was filled
    int refills_ = 0;              // times asked again to fill it
};
