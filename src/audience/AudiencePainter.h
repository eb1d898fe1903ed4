#pragma once

#include "AudienceView.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QSizeF>

class QPainter;

namespace audience {

// One text (or, without text, one filled shape) of the audience screen, where it is drawn.
struct Item {
    QString text;
    QRectF box;
    QFont font;
    QColor ink;
    QColor fill; // behind the text; invalid for none
    bool round = false;
    // Where the glyphs are drawn: centred in the box.
    QRectF glyphs() const;
};

struct Layout {
    QSizeF size;
    QRectF stage; // the 16:9 part of the screen that the frame is drawn in
    QList<Item> items;
    QString picture; // resource of the picture shown, if any
    QRectF pictureBox;
};

// Everything sized in fractions of the screen's 16:9 middle, so one frame reads alike from 720p to
// 8K, on 4:3 and portrait screens too. Sizes are in the screen's device-independent pixels; the
// painter draws at the pixel ratio of the device it paints on.
Layout layoutFor(const Frame& frame, const QSizeF& size);
void paint(QPainter& p, const Layout& layout);

} // namespace audience
