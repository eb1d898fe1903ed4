#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <vector>

class QFrame;
class QLabel;
class QSvgRenderer;

// Window designs are kept in twips, exactly as drawn; these helpers turn them into widgets.
namespace design {

constexpr int kTwipsPerPixel = 15;
int px(int twips);

// A control's box as designed: from the top-left corner of the client area.
struct Box {
    int left, top, width, height;
};
void place(QWidget* w, const Box& b);
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
// The designs' highlight text, as the standard scheme draws it: it sits on panels of fixed
// colours, so a desktop's own scheme must not change it.
inline const QColor highlightText = white;

enum class Align { Left, Centre };
enum class Fill { Transparent, Opaque };

// A label as the designs use it: plain text only (names are never markup), wrapping in its box.
QLabel* label(QWidget* parent, const QString& name, const QString& text, const Box& box,
              const QFont& font, Align align, Fill fill = Fill::Transparent);
void setTextColour(QLabel* l, const QColor& c);
// Widens a one-line caption's box just enough to show the whole caption, keeping its anchor
// (left edge, or centre when centred): some designed boxes are a few pixels short of it here.
void fitCaption(QLabel* l);
// Shows text typed by the host on one line, smaller when it would not fit the box.
void setFittedText(QLabel* l, const QString& text, double points, double minimumPoints);
QColor textColour(const QLabel* l);

// Windows show the system's button-face colour behind everything.
void buttonFace(QWidget* window);

// Controls of one design name told apart by an index, as the designs number them: chain links
// from 0, player slots from 1 (slot 0 is left empty).
template <typename T> class ControlArray {
public:
    T* operator[](int i) const { return items_.at(static_cast<std::size_t>(i)); }
    void add(T* item) { items_.push_back(item); }
    int size() const { return static_cast<int>(items_.size()); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<T*> items_;
};

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

// A panel of the designs in its box.
Panel* panel(QWidget* parent, const QString& name, const QColor& fill, const Box& box);

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

// A picture in a sunken frame, drawn unscaled inside the border: the about box and the goodbye.
struct FramedPicture {
    QFrame* frame;
    Picture* picture;
};
FramedPicture framedPicture(QWidget* parent, const QString& frameName, const Box& box,
                            const QString& resource);

} // namespace design
