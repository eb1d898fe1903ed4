#include "FinalEngine.h"

#include "Notice.h"
#include "Rules.h"

#include <algorithm>

FinalEngine::FinalEngine(GameState& state, Notices* notices) : s_(state), notices_(notices) {
    for (int i = 1; i <= kMarkers; ++i)
        markers_[i].number = (i + 1) / 2;
}

void FinalEngine::open() {
    s_.SuddenDeath = false;
    // The two lowest slots still in; a game always reaches the final with at least two.
    int found = 0;
    for (int i = 1; i <= GameState::kSlots && found < 2; ++i)
        if (!s_.PlayerOut[i])
            slot_[++found] = i;
    for (int i = 1; found < 2; ++i)
        if (i != slot_[1])
            slot_[++found] = i;
    for (int k = 1; k <= 2; ++k) {
        s_.FinalistNames[k] = s_.PlayerNames[slot_[k]];
        // By the finalist's own slot: names need not be unique.
        s_.FinalistScores[k] = rules::finalistScore(s_, slot_[k]);
    }
}

int FinalEngine::strongestLink() const {
    return s_.FinalistScores[1] >= s_.FinalistScores[2] ? 1 : 2;
}

void FinalEngine::chooseOrder(bool strongestGoesFirst) {
    top_ = strongestGoesFirst ? strongestLink() : 3 - strongestLink();
    s_.FinalRightAnswers = {0, 0, 0};
    s_.FinalQuestionsLeft = {0, 5, 5};
    markers_[1].current = true;
    told(0);
}

void FinalEngine::abandon() {
    over_ = true;
    told(0);
}

void FinalEngine::told(int answered) const {
    if (notices_) {
        Notice n{.what = Notice::What::Final,
                 .final = {markers_, top_},
                 .answered = answered,
                 .asking = !over_};
        emit notices_->told(n);
    }
}

int FinalEngine::press(QChar key) {
    if (over_)
        return 0;
    const QChar upper = key.toUpper();
    int answered = 0;
    if (upper == QLatin1Char('C') || upper == QLatin1Char('W')) {
        history_.push_back({markers_, s_.FinalRightAnswers, s_.FinalQuestionsLeft, s_.SuddenDeath});
        answer(upper == QLatin1Char('C'));
        answered = 1;
    } else if (upper == QLatin1Char(rules::undoKey) && !history_.empty()) {
        answered = -1;
        const Before& b = history_.back();
        markers_ = b.markers;
        s_.FinalRightAnswers = b.right;
        s_.FinalQuestionsLeft = b.left;
        s_.SuddenDeath = b.suddenDeath;
        history_.pop_back();
    }
    if (s_.SuddenDeath)
        for (int k = 1; k <= 2; ++k) {
            s_.FinalRightAnswers[k] = std::min(s_.FinalRightAnswers[k], 1);
            s_.FinalQuestionsLeft[k] = std::max(s_.FinalQuestionsLeft[k], 0);
        }
    if (s_.FinalQuestionsLeft[1] == 0 && s_.FinalQuestionsLeft[2] == 0 &&
        s_.FinalRightAnswers[1] == s_.FinalRightAnswers[2])
        startSuddenDeath();
    const int winner = rules::finalWinner(s_);
    over_ = winner != 0;
    told(answered);
    return winner;
}

void FinalEngine::answer(bool right) {
    // Descending, so the marker made current in this pass is not answered again; hidden markers
    // still count while current, which the sudden-death limits then even out.
    for (int i = kMarkers; i >= 1; --i) {
        Marker& m = markers_[i];
        if (!m.current)
            continue;
        m.mark = right ? Mark::Tick : Mark::Cross;
        m.current = false;
        if (i < kMarkers)
            markers_[i + 1].current = true;
        const auto k = i % 2 == 1 ? top_ : 3 - top_;
        if (right)
            ++s_.FinalRightAnswers[k];
        --s_.FinalQuestionsLeft[k];
    }
}

void FinalEngine::startSuddenDeath() {
    s_.SuddenDeath = true;
    for (int k = 1; k <= 2; ++k) {
        markers_[k] = Marker{Mark::Number, k == 1, 1, true};
        s_.FinalQuestionsLeft[k] = 1;
        s_.FinalRightAnswers[k] = 0;
    }
    for (int i = 3; i <= kMarkers; ++i)
        markers_[i].shown = false;
}
