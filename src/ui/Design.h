#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

class QLabel;
class QSvgRenderer;

// Window designs are kept in twips, exactly as drawn; these helpers turn them into widgets.
namespace design {

constexpr int kTwipsPerPixel = 15;
int px(int twips);
void place(QWidget* w, int left, int top, int width, int height);
void moveTop(QWidget* w, int top);
// Size of a top-level window's client area.
void clientSize(QWidget* w, int width, int height);

QFont arial(double points, bool bold = true);
// Default font of the designs' controls that name none.
QFont windowFont();

inline const QColor teal{0, 192, 192};
inline const QColor red{192, 96, 96};
inline const QColor darkGrey{128, 128, 128};
inline const QColor lightGrey{192, 192, 192};
inline const QColor black{0, 0, 0};
inline const QColor white{255, 255, 255};
QColor highlightText();

enum class Align { Left, Centre };
enum class Fill { Transparent, Opaque };

// A label as the designs use it: plain text only (names are never markup), wrapping in its box.
QLabel* label(QWidget* parent, const QString& name, const QString& text, int left, int top,
              int width, int height, const QFont& font, Align align, Fill fill);
void setTextColour(QLabel* l, const QColor& c);
// Widens a one-line caption's box just enough to show the whole caption, keeping its anchor
// (left edge, or centre when centred): some designed boxes are a few pixels short of it here.
void fitCaption(QLabel* l);
// Shows text typed by the host on one line, smaller when it would not fit the box.
void setFittedText(QLabel* l, const QString& text, double points, double minimumPoints);
QColor textColour(const QLabel* l);

// Windows show the system's button-face colour behind everything.
void buttonFace(QWidget* window);

// A filled rectangle of the designs; labels over it are raised in front.
class Panel : public QWidget {
    Q_OBJECT
public:
    Panel(QWidget* parent, const QString& name, const QColor& fill);
    void setFill(const QColor& c);
    QColor fill() const { return fill_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor fill_;
};

// Draws an SVG resource at its own pixel size from the top-left corner, clipped by the box.
class Picture : public QWidget {
    Q_OBJECT
public:
    Picture(QWidget* parent, const QString& name, const QString& resource = {});
    void load(const QString& resource);
    QString resource() const { return resource_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString resource_;
    QSvgRenderer* svg_ = nullptr;
};

inline const QString titlePicture = QStringLiteral(":/resources/title.svg");
inline const QString farewellPicture = QStringLiteral(":/resources/farewell.svg");

} // namespace design
