#include "AudiencePainter.h"

#include "ui/Design.h"

#include <QCache>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace audience {

namespace {

const QColor backdrop{16, 24, 40};

// The largest 16:9 part of the screen, in its middle: the frame is drawn for that shape, and a
// 4:3, 5:4 or portrait screen shows it whole between bands.
QRectF stageOf(const QSizeF& screen) {
    const QSizeF s = QSizeF(16, 9).scaled(screen, Qt::KeepAspectRatio);
    return {QPointF(screen.width() - s.width(), screen.height() - s.height()) / 2, s};
}

// Places the items of one frame; x, y, w, h are fractions of the stage's width and height.
struct Builder {
    Layout out;
    double X, Y, W, H;

    explicit Builder(const QSizeF& size) {
        out.size = size;
        out.stage = stageOf(size);
        X = out.stage.x(), Y = out.stage.y(), W = out.stage.width(), H = out.stage.height();
    }
    QRectF at(double x, double y, double w, double h) const {
        return {X + x * W, Y + y * H, w * W, h * H};
    }

    // A line of text `px` of the height tall, smaller down to `least` (names) until it fits its
    // box, and cut short with an ellipsis if even that is too wide.
    void text(QString t, const QRectF& box, double px, const QColor& ink, const QColor& fill = {},
              double least = 0) {
        t.replace(u'\n', u' ');
        QFont font = design::arial(12); // the windows' face; sized in pixels below
        const double room = box.width() * 0.92;
        px = std::min(px, box.height() / H / 1.2);
        for (;;) {
            font.setPixelSize(std::max(1, qRound(px * H)));
            if (QFontMetricsF(font).horizontalAdvance(t) <= room || px * 0.9 < least)
                break;
            px *= 0.9;
        }
        t = QFontMetricsF(font).elidedText(t, Qt::ElideRight, room);
        out.items.append({t, box, font, ink, fill});
    }
    void shape(const QRectF& box, const QColor& fill, bool round) {
        out.items.append({QString(), box, QFont(), QColor(), fill, round});
    }
    void picture(const QString& resource, const QRectF& box) {
        out.picture = resource;
        out.pictureBox = box;
    }

    void chain(const Frame& f) {
        const auto n = f.chain.size();
        const double row = 0.94 / double(n);
        const double px = std::max(0.08, std::min(0.75 * row, 0.1));
        for (qsizetype i = 0; i < n; ++i) {
            const QRectF box = at(0.02, 0.97 - double(i + 1) * row + 0.006, 0.25, row - 0.012);
            const bool lit = i == f.litLink, passed = i < f.litLink;
            text(f.chain[i], box, px,
                 lit      ? design::white
                 : passed ? design::lightGrey
                          : design::black,
                 lit      ? design::red
                 : passed ? design::darkGrey
                          : design::teal);
        }
    }
    // A caption over an amount in the right-hand column, from y for h of the height.
    void figure(const QString& word, const QString& amount, double y, double h, double px) {
        shape(at(0.71, y, 0.27, h), design::teal.darker(250), false);
        text(word, at(0.71, y + 0.01, 0.27, 0.06), 0.045, design::lightGrey);
        text(amount, at(0.71, y + 0.07, 0.27, h - 0.08), px, design::white);
    }
    void players(const Frame& f) {
        const auto n = std::max<qsizetype>(f.players.size(), 1);
        const double row = std::min(0.64 / double(n), 0.1);
        for (qsizetype i = 0; i < f.players.size(); ++i)
            text(f.players[i], at(0.29, 0.03 + double(i) * row + 0.005, 0.40, row - 0.01), 0.055,
                 design::white, i == f.current ? design::red : design::darkGrey.darker(200), 0.025);
    }

    void round(const Frame& f) {
        chain(f);
        players(f);
        if (!f.clock.isEmpty())
            figure(QStringLiteral("TIME"), f.clock, 0.03, 0.25, 0.14);
        if (!f.total.isEmpty())
            figure(QStringLiteral("TOTAL"), f.total, 0.32, 0.22, 0.09);
        figure(QStringLiteral("BANK"), f.bank, 0.72, 0.25, 0.1);
        if (!f.banner.isEmpty())
            text(f.banner, at(0.29, 0.72, 0.40, 0.25), 0.07, design::white, design::red, 0.03);
    }
    void voteOff(const Frame& f) {
        text(f.banner, at(0.05, 0.04, 0.9, 0.14), 0.08, design::white);
        const auto n = f.players.size();
        const int columns = n > 4 ? 3 : 2, rows = int((n + columns - 1) / columns);
        const double w = 0.9 / columns, h = std::min(0.7 / std::max(rows, 1), 0.2);
        for (qsizetype i = 0; i < n; ++i)
            text(f.players[i],
                 at(0.05 + double(i % columns) * w + 0.01, 0.24 + double(i / columns) * h + 0.01,
                    w - 0.02, h - 0.02),
                 0.07, design::black, design::teal, 0.03);
    }
    void goodbye(const Frame& f) {
        const double h = 0.6, w = h * H / W * 249 / 201;
        picture(design::farewellPicture, at(0.27 - w / 2, 0.2, w, h));
        text(f.name, at(0.52, 0.22, 0.45, 0.2), 0.12, design::white, {}, 0.04);
        text(f.banner, at(0.52, 0.45, 0.45, 0.13), 0.07, design::white);
        text(QStringLiteral("Goodbye..."), at(0.52, 0.62, 0.45, 0.1), 0.06, design::lightGrey);
    }
    void final(const Frame& f) {
        text(QStringLiteral("The Final Round"), at(0.05, 0.03, 0.9, 0.11), 0.07, design::white);
        for (std::size_t row = 0; row < 2; ++row) {
            const double y = 0.18 + 0.25 * double(row);
            const Finalist& who = f.finalists[row];
            text(who.name, at(0.02, y, 0.28, 0.2), 0.08, design::white, design::darkGrey, 0.03);
            const double d = std::min(0.2 * H, 0.11 * W);
            for (qsizetype i = 0; i < who.marks.size(); ++i) {
                const QRectF box(X + 0.33 * W + double(i) * 0.13 * W + (0.13 * W - d) / 2,
                                 Y + (y + 0.1) * H - d / 2, d, d);
                const Mark m = who.marks[i];
                if (m == Mark::Tick || m == Mark::Cross)
                    text(m == Mark::Tick ? QStringLiteral("\u2714") : QStringLiteral("\u2718"), box,
                         0.11, design::white, m == Mark::Tick ? design::red : design::teal);
                else
                    shape(box, m == Mark::Current ? design::white : design::darkGrey, true);
                out.items.last().round = true;
            }
        }
        if (f.suddenDeath)
            text(QStringLiteral("Sudden death"), at(0.33, 0.69, 0.64, 0.07), 0.05, design::red);
        figure(QStringLiteral("TOTAL"), f.prize, 0.76, 0.22, 0.1);
    }
    void winner(const Frame& f) {
        text(f.name, at(0.05, 0.14, 0.9, 0.22), 0.14, design::white, {}, 0.04);
        text(f.banner, at(0.05, 0.38, 0.9, 0.1), 0.06, design::lightGrey);
        text(f.prize, at(0.05, 0.55, 0.9, 0.25), 0.16, design::white, design::red);
    }
    void title() {
        const double h = 0.8, w = h * H / W * 197 / 166;
        picture(design::titlePicture, at(0.5 - w / 2, 0.1, w, h));
    }
};

// A text drawn once and kept, at the screen's pixel ratio: glyphs as tall as these are filled as
// paths every time, which at 4K cost more than a frame. The clock's digits come and go; the cache
// keeps the recent ones.
const QImage& rendered(const Item& item, qreal ratio) {
    static QCache<QString, QImage> cache(64 << 20); // bytes
    const QString key = item.text + QChar(0) + item.font.key() + QChar(0) + item.ink.name() +
                        QChar(0) + QString::number(ratio);
    if (const QImage* image = cache.object(key))
        return *image;
    auto* image = new QImage((item.glyphs().size() * ratio).toSize() + QSize(1, 1),
                             QImage::Format_ARGB32_Premultiplied);
    image->setDevicePixelRatio(ratio);
    image->fill(Qt::transparent);
    QPainter p(image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(item.ink);
    p.setFont(item.font);
    p.drawText(QRectF(QPointF(), image->deviceIndependentSize()),
               Qt::AlignCenter | Qt::TextSingleLine, item.text);
    p.end();
    const QImage& kept = *image;
    // Never refused, which would delete it: a screen larger than any here raises the bound.
    const qsizetype bytes = std::max<qsizetype>(1, image->sizeInBytes());
    cache.setMaxCost(std::max(cache.maxCost(), 4 * bytes));
    cache.insert(key, image, bytes);
    return kept;
}

// Rendered once per size and pixel ratio: an SVG drawn afresh every frame would cost a 4K frame
// dearly.
const QImage& picture(const QString& resource, const QSizeF& size, qreal ratio) {
    static QHash<QString, QImage> rendered;
    QImage& image = rendered[resource + QChar(0) + QString::number(ratio)];
    if (const QSize pixels = (size * ratio).toSize(); image.size() != pixels) {
        image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        QPainter ip(&image);
        QSvgRenderer(resource).render(&ip, QRectF(QPointF(), image.deviceIndependentSize()));
    }
    return image;
}

} // namespace

QRectF Item::glyphs() const {
    if (text.isEmpty())
        return {};
    const QFontMetricsF m(font);
    const QSizeF s(m.horizontalAdvance(text), m.height());
    return {box.center() - QPointF(s.width() / 2, s.height() / 2), s};
}

Layout layoutFor(const Frame& frame, const QSizeF& size) {
    Builder b(size);
    switch (frame.phase) {
    case Phase::Title:
        b.title();
        break;
    case Phase::Round:
    case Phase::RoundEnd:
        b.round(frame);
        break;
    case Phase::VoteOff:
        b.voteOff(frame);
        break;
    case Phase::Goodbye:
        b.goodbye(frame);
        break;
    case Phase::Final:
        b.final(frame);
        break;
    case Phase::Winner:
        b.winner(frame);
        break;
    }
    return b.out;
}

void paint(QPainter& p, const Layout& layout) {
    const qreal ratio = p.device() ? p.device()->devicePixelRatio() : 1.0;
    p.fillRect(QRectF(QPointF(), layout.size), backdrop);
    p.setRenderHint(QPainter::Antialiasing);
    if (!layout.picture.isEmpty())
        p.drawImage(layout.pictureBox.topLeft(),
                    picture(layout.picture, layout.pictureBox.size(), ratio));
    for (const Item& item : layout.items) {
        if (item.fill.isValid()) {
            p.setPen(Qt::NoPen);
            p.setBrush(item.fill);
            const double r = item.box.height() * 0.15;
            item.round ? p.drawEllipse(item.box) : p.drawRoundedRect(item.box, r, r);
        }
        if (!item.text.isEmpty())
            p.drawImage(item.glyphs().topLeft(), rendered(item, ratio));
    }
}

} // namespace audience
