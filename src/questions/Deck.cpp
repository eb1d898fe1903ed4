#include "Deck.h"

namespace questions {

void Deck::follow(const Notice& n) {
    if (n.what == Notice::What::HandOver)
        return;
    used_ = std::max<qsizetype>(used_ + n.answered, 0);
    if (asking_ && !n.asking && n.answered == 0)
        ++used_;
    asking_ = n.asking;
}

const Question* Deck::current() const {
    return asking_ && used_ < size() ? &questions_[used_] : nullptr;
}

} // namespace questions
