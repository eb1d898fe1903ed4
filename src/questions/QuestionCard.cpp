#include "QuestionCard.h"

#include "ui/Console.h"
#include "ui/Design.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QWindow>
#include <array>

namespace questions {

namespace {

const QColor paper{252, 250, 242};
const QColor answerInk{150, 40, 40};

// The largest size from `most` down to `least` pixels at which the text fits its box, wrapped
// at words (at any character once words alone cannot fit).
CardItem fitted(const QString& text, const QRectF& box, double most, double least, bool bold,
                const QColor& ink, int align) {
    QFont font = design::arial(12, bold);
    int flags = align | Qt::TextWordWrap;
    for (double px = most;; px *= 0.92) {
        font.setPixelSize(std::max(1, int(px)));
        const QRectF need = QFontMetricsF(font).boundingRect(box, flags, text);
        if (need.width() <= box.width() && need.height() <= box.height())
            break;
        if (px * 0.92 < least) {
            flags = align | Qt::TextWrapAnywhere;
            break;
        }
    }
    return {text, box, font, ink, flags};
}

// The card's texts in the order they are laid out, so each is also its item's index.
constexpr std::array<QString CardText::*, 5> fields{
    &CardText::number, &CardText::left, &CardText::who, &CardText::question, &CardText::answer};

// One text of the card, a static text to the accessibility bridge, as a label's is; an empty
// one (nobody to answer, no answer) keeps its place.
class TextAccessible final : public QAccessibleInterface {
public:
    TextAccessible(QuestionCard* card, int field) : card_(card), field_(field) {}
    bool isValid() const override { return !card_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return card_ ? card_->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(card_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && card_ ? card_->text().*fields[field_] : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!card_ || field_ >= card_->items().size())
            return {};
        const QRect r = card_->items()[field_].box.toAlignedRect();
        return {card_->mapToGlobal(r.topLeft()), r.size()};
    }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.invisible = !card_ || !card_->isVisible();
        return s;
    }

private:
    QPointer<QuestionCard> card_;
    int field_;
};

class CardAccessible final : public QAccessibleWidget {
public:
    explicit CardAccessible(QuestionCard* card) : QAccessibleWidget(card, QAccessible::Window) {
        for (std::size_t i = 0; i < ids_.size(); ++i)
            ids_[i] = QAccessible::registerAccessibleInterface(new TextAccessible(card, int(i)));
    }
    ~CardAccessible() override {
        for (QAccessible::Id id : ids_)
            QAccessible::deleteAccessibleInterface(id);
    }
    int childCount() const override { return int(ids_.size()); }
    QAccessibleInterface* child(int index) const override {
        return index >= 0 && index < childCount() ? QAccessible::accessibleInterface(ids_[index])
                                                  : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (std::size_t i = 0; i < ids_.size(); ++i)
            if (QAccessible::accessibleInterface(ids_[i]) == child)
                return int(i);
        return -1;
    }

private:
    std::array<QAccessible::Id, fields.size()> ids_{};
};

QAccessibleInterface* accessibleFactory(const QString& key, QObject* object) {
    if (key == QLatin1String(QuestionCard::staticMetaObject.className()))
        return new CardAccessible(static_cast<QuestionCard*>(object));
    return nullptr;
}

} // namespace

CardText cardText(const Deck& deck, const GameView& game, const GameState& s) {
    CardText t;
    t.left = QStringLiteral("%1 left").arg(deck.left());
    if (deck.number() > deck.size()) {
        t.number = QStringLiteral("All %1 used").arg(deck.size());
        t.question = QStringLiteral("No more questions");
        return t;
    }
    t.number = QStringLiteral("Question %1").arg(deck.number());
    const Question* q = deck.current();
    if (q == nullptr) {
        t.question = QStringLiteral("Comes up when the next round's clock starts.");
        return t;
    }
    t.question = q->text;
    t.answer = q->answer;
    t.asking = true;
    const int finalist = game.final.answering();
    if (game.stage == Stage::Final && finalist != 0)
        t.who = QStringLiteral("for ") + s.FinalistNames[std::size_t(finalist)];
    else if (game.stage == Stage::Round && s.CurrentPlayer >= 1 &&
             s.CurrentPlayer <= GameState::kSlots)
        t.who = QStringLiteral("for ") + s.PlayerNames[std::size_t(s.CurrentPlayer)];
    return t;
}

QList<CardItem> cardLayout(const CardText& t, const QSizeF& size) {
    const double m = std::min(size.width(), size.height()) * 0.04, w = size.width() - 2 * m;
    const double h = size.height() - 2 * m;
    const auto row = [&](double from, double to) {
        return QRectF(m, m + from * h, w, (to - from) * h);
    };
    const double line = h * 0.1;
    const int left = Qt::AlignLeft | Qt::AlignVCenter, centre = Qt::AlignCenter;
    QList<CardItem> items{
        fitted(t.number, row(0, 0.12), line, 6, true, design::darkGrey, left),
        fitted(t.left, row(0, 0.12), line, 6, false, design::darkGrey,
               Qt::AlignRight | Qt::AlignVCenter),
        fitted(t.who, row(0.13, 0.26), line * 1.1, 6, true, design::teal.darker(140), left),
        t.asking
            ? fitted(t.question, row(0.27, 0.72), h * 0.13, 5, true, design::black, centre)
            : fitted(t.question, row(0.27, 0.72), h * 0.07, 5, false, design::darkGrey, centre),
    };
    if (!t.answer.isEmpty())
        items << fitted(t.answer, row(0.76, 1), h * 0.11, 5, true, answerInk, centre);
    return items;
}

QuestionCard::QuestionCard(Console& console, QList<Question> questions)
    : Bystander(console.notices, QStringLiteral("The Brackwyn - questions")), console_(console),
      deck_(std::move(questions)) {
    static const bool factory = (QAccessible::installFactory(accessibleFactory), true);
    Q_UNUSED(factory);
    setObjectName(QStringLiteral("QuestionCard"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(240, 160);
    resize(640, 420);
    refresh();
    console_.setQuestionCardHandler([this] { showAgain(); });
}

QuestionCard::~QuestionCard() {
    console_.setQuestionCardHandler({});
}

// Closed by mistake, it comes back as it was, moved only should it now be over a host's window
// or on another screen; the host's window keeps the keyboard.
void QuestionCard::showAgain() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    placing_.start();
}

void QuestionCard::told(const Notice& n) {
    deck_.follow(n);
    refresh();
}

void QuestionCard::refresh() {
    CardText next = cardText(deck_, game_, console_.state);
    if (next == text_ && !items_.isEmpty())
        return;
    std::swap(text_, next);
    items_ = cardLayout(text_, size());
    update();
    if (!QAccessible::isActive())
        return;
    // Each text that changed, as a label tells its own.
    QAccessibleInterface* card = QAccessible::queryAccessibleInterface(this);
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (text_.*fields[i] != next.*fields[i]) {
            QAccessibleEvent changed(card->child(int(i)), QAccessible::NameChanged);
            QAccessible::updateAccessibility(&changed);
        }
}

void QuestionCard::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), paper);
    if (!text_.answer.isEmpty()) {
        // The answer is set apart below a rule, on a band of its own.
        const QRectF band = items_.last().box.adjusted(-8, -6, 8, 6);
        p.fillRect(band, QColor(240, 232, 214));
        p.setPen(QPen(design::darkGrey, 2));
        p.drawLine(band.topLeft(), band.topRight());
    }
    for (const CardItem& item : items_) {
        p.setFont(item.font);
        p.setPen(item.ink);
        p.drawText(item.box, item.flags, item.text);
    }
}

void QuestionCard::resizeEvent(QResizeEvent*) {
    items_ = cardLayout(text_, size());
}

// Beside the host's window on its screen, whenever it finds itself over a window or on another
// screen (one pulled out, or the players' TV); where the host puts it clear of them, it stays.
void QuestionCard::place() {
    const QWindow* host = hostWindow();
    const QList<QWidget*> hosts = hostWindows();
    // A message box over it passes; the card does not run from each one.
    const bool clear = std::none_of(hosts.cbegin(), hosts.cend(), [this](const QWidget* w) {
        return w->windowType() == Qt::Window && w->frameGeometry().intersects(frameGeometry());
    });
    if (host == nullptr || !host->screen() || (screen() == host->screen() && clear))
        return;
    const QRect room = host->screen()->availableGeometry();
    const QRect by = host->frameGeometry();
    QSize size = this->size().boundedTo(room.size() / 2);
    const QSize framed = size + frameGeometry().size() - geometry().size();
    const int x2 = by.right() + 1, x0 = by.left() - framed.width();
    const int y2 = by.bottom() + 1, y0 = by.top() - framed.height();
    QRect best;
    const QPoint far = room.bottomRight() - QPoint(framed.width(), framed.height()) + QPoint(1, 1);
    for (const QPoint& at :
         {QPoint(x2, by.top()), QPoint(x0, by.top()), QPoint(by.left(), y2), QPoint(by.left(), y0),
          far, QPoint(far.x(), room.top()), QPoint(room.left(), far.y()), room.topLeft()}) {
        QRect r(at, framed);
        // Kept on the screen, its top-left corner first when it is the larger.
        r.moveTo(std::max(std::min(r.left(), room.x() + room.width() - r.width()), room.left()),
                 std::max(std::min(r.top(), room.y() + room.height() - r.height()), room.top()));
        if (best.isNull() || covering(r) < covering(best))
            best = r;
    }
    setScreen(host->screen());
    resize(size);
    move(best.topLeft());
}

} // namespace questions
