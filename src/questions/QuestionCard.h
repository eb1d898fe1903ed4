#pragma once

#include "Deck.h"
#include "ui/Bystander.h"

#include <QColor>
#include <QFont>
#include <QRectF>

class Console;

namespace questions {

// What the card says at one moment.
struct CardText {
    QString number; // "Question 12"
    QString left;   // "138 left"
    QString who;    // "for Bea": whom the question being asked is for
    QString question;
    QString answer;
    bool asking = false; // else the question's place says why there is none
    bool operator==(const CardText&) const = default;
};

// One text of the card, where and how it is drawn.
struct CardItem {
    QString text;
    QRectF box;
    QFont font;
    QColor ink;
    int flags; // alignment and wrapping
};

CardText cardText(const Deck& deck, const GameView& game, const GameState& state);
// Each text as large as its part of the card allows, smaller for long texts.
QList<CardItem> cardLayout(const CardText& text, const QSizeF& size);

// The host's question card: the question being asked, whom it is for and its answer, beside the
// host's windows. It follows the game by its notices and never takes the keyboard. Its texts
// are painted, so each is also told to the accessibility bridge as a static text.
class QuestionCard final : public Bystander {
    Q_OBJECT
public:
    // While it lives, key Q in the host's windows brings it back should the host close it.
    QuestionCard(Console& console, QList<Question> questions);
    ~QuestionCard() override;

    const Deck& deck() const { return deck_; }
    const CardText& text() const { return text_; }
    const QList<CardItem>& items() const { return items_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void place() override;
    void told(const Notice& notice) override;

private:
    void refresh();
    void showAgain();

    Console& console_;
    Deck deck_;
    CardText text_;
    QList<CardItem> items_;
};

} // namespace questions
