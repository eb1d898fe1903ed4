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
    QList<Item> items;
    QString picture; // resource of the picture shown, if any
    QRectF pictureBox;
};

// Everything sized in fractions of the screen, so one frame reads alike from 720p to 4K.
Layout layoutFor(const Frame& frame, const QSizeF& size);
void paint(QPainter& p, const Layout& layout);

} // namespace audience
