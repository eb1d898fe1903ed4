#include "Notice.h"

int FinalView::answering() const {
    for (int i = 1; i <= FinalEngine::kMarkers; ++i)
        if (markers[std::size_t(i)].current && markers[std::size_t(i)].shown)
            return i % 2 == 1 ? top : 3 - top;
    return 0;
}

void GameView::follow(const Notice& n) {
    switch (n.what) {
    case Notice::What::HandOver:
        stage = n.stage;
        format = n.format;
        return;
    case Notice::What::Round:
        round = n.round;
        break;
    case Notice::What::Final:
        // The final's board is news as soon as the order is chosen, before its window shows.
        stage = Stage::Final;
        final = n.final;
        break;
    }
    asking = n.asking;
}
