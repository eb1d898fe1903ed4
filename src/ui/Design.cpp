#include "Design.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QSvgRenderer>
#include <cmath>

namespace design {

int px(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

void place(QWidget* w, const Box& b) {
    w->setGeometry(px(b.left), px(b.top), px(b.width), px(b.height));
}

void moveTop(QWidget* w, int top) {
    w->move(w->x(), px(top));
}

void clientSize(QWidget* w, int width, int height) {
    w->setFixedSize(px(width), px(height));
}

QFont arial(double points, bool bold) {
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(points);
    f.setWeight(bold ? QFont::Bold : QFont::Normal);
    return f;
}

QFont windowFont() {
    return arial(8.25, false);
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, const Box& box,
              const QFont& font, Align align, Fill fill) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    l->setText(text);
    l->setFont(font);
    l->setAlignment((align == Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
    l->setFocusPolicy(Qt::NoFocus);
    l->setForegroundRole(QPalette::ButtonText);
    if (fill == Fill::Opaque) {
        l->setBackgroundRole(QPalette::Button);
        l->setAutoFillBackground(true);
    }
    place(l, box);
    return l;
}

void setTextColour(QLabel* l, const QColor& c) {
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::ButtonText, c);
    l->setPalette(p);
}

void fitCaption(QLabel* l) {
    const int needed = QFontMetrics(l->font()).horizontalAdvance(l->text()) + 2;
    if (needed <= l->width())
        return;
    const int left =
        (l->alignment() & Qt::AlignHCenter) ? l->x() - (needed - l->width()) / 2 : l->x();
    l->setGeometry(left, l->y(), needed, l->height());
}

void setFittedText(QLabel* l, const QString& text, double points, double minimumPoints) {
    l->setWordWrap(false);
    QFont f = l->font();
    f.setPointSizeF(points);
    // Step down in half points until the name fits; a very long name stays clipped by its box.
    while (f.pointSizeF() > minimumPoints && QFontMetrics(f).horizontalAdvance(text) > l->width())
        f.setPointSizeF(f.pointSizeF() - 0.5);
    l->setFont(f);
    l->setText(text);
}

QColor textColour(const QLabel* l) {
    return l->palette().color(l->foregroundRole());
}

void buttonFace(QWidget* window) {
    window->setBackgroundRole(QPalette::Button);
    window->setAutoFillBackground(true);
}

Panel::Panel(QWidget* parent, const QString& name, const QColor& fill)
    : QWidget(parent), fill_(fill) {
    setObjectName(name);
    setFocusPolicy(Qt::NoFocus);
}

void Panel::setFill(const QColor& c) {
    if (c == fill_)
        return;
    fill_ = c;
    update();
}

void Panel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), fill_);
    p.setPen(black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

Panel* panel(QWidget* parent, const QString& name, const QColor& fill, const Box& box) {
    auto* p = new Panel(parent, name, fill);
    place(p, box);
    return p;
}

Picture::Picture(QWidget* parent, const QString& name, const QString& resource) : QWidget(parent) {
    setObjectName(name);
    setFocusPolicy(Qt::NoFocus);
    load(resource);
}

void Picture::load(const QString& resource) {
    resource_ = resource;
    delete svg_;
    svg_ = nullptr;
    update();
}

void Picture::paintEvent(QPaintEvent*) {
    // Read when first drawn, so that a window is on the screen before its picture is parsed.
    if (svg_ == nullptr && !resource_.isEmpty())
        svg_ = new QSvgRenderer(resource_, this);
    if (svg_ == nullptr || !svg_->isValid())
        return;
    QPainter p(this);
    p.setClipRect(rect());
    svg_->render(&p, QRectF(QPointF(0, 0), svg_->defaultSize()));
}

} // namespace design

namespace design {

FramedPicture framedPicture(QWidget* parent, const QString& frameName, const Box& box,
                            const QString& resource) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(frameName);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setLineWidth(2);
    frame->setFocusPolicy(Qt::TabFocus);
    place(frame, box);
    auto* picture = new Picture(frame, QStringLiteral("picture"), resource);
    // Unscaled from the top-left corner inside the border; the box cuts off the rest.
    picture->setGeometry(frame->contentsRect());
    return {frame, picture};
}

} // namespace design
