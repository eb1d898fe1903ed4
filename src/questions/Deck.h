#pragma once

#include "QuestionFile.h"
#include "state/Notice.h"

namespace questions {

// The night's questions in file order, following the game: the one being asked and those used
// up. It outlives every game, so that one night never repeats a question.
class Deck {
public:
    explicit Deck(QList<Question> questions) : questions_(std::move(questions)) {}

    // A question answered is used up, one an undo took back is given back, and the one being
    // asked when play stops (time up, the target, Start Over, the final left) was heard.
    void follow(const Notice& n);

    qsizetype size() const { return questions_.size(); }
    // The number of the question being asked or asked next, from 1; past the last when none is
    // left.
    qsizetype number() const { return std::min<qsizetype>(used_, size()) + 1; }
    // Those after the one being asked (or, between questions, from the next on).
    qsizetype left() const { return std::max<qsizetype>(size() - used_ - (asking_ ? 1 : 0), 0); }
    bool asking() const { return asking_; }
    // The question being asked; nullptr when none is, or when the deck has run out.
    const Question* current() const;

private:
    QList<Question> questions_;
    qsizetype used_ = 0; // may run past the end: an undo then gives back one never shown
    bool asking_ = false;
};

} // namespace questions
