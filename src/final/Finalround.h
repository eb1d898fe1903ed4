#pragma once

#include "ui/Forms.h"

#include <array>

class QLabel;
namespace design {
class Panel;
}

// The head-to-head final of the last two players, shared by every format.
class Finalround final : public Form {
    Q_OBJECT
public:
    static inline const QString windowName = QStringLiteral("Finalround");
    explicit Finalround(Console& console);

    enum class Mark { Number, Tick, Cross };
    struct Marker {
        Mark mark = Mark::Number;
        bool current = false; // the question being asked: its number is drawn in grey
    };

    // One row of the key map; after every key, whatever it is, the final checks its state.
    struct KeyRow {
        char key;
        void (Finalround::*act)();
    };
    static const std::array<KeyRow, 2> keyTable;

    void handleKey(QChar key);
    const Marker& marker(int i) const { return markers_[static_cast<std::size_t>(i)]; }
    // The finalist (1 or 2) answering in the top row; the other answers in the bottom row.
    int topFinalist() const { return top_; }

    QLabel* Label1;                          // finalist answering first
    QLabel* Label2;                          // finalist answering second
    std::array<QLabel*, 11> Label3{};        // markers 1..10: odd top row, even bottom row
    std::array<design::Panel*, 11> Shape1{}; // question panels 1..10
    std::array<design::Panel*, 3> Shape2{};  // 0: prize, 1 and 2: names
    QLabel* Label5;                          // prize
    QLabel* Label6;                          // "TOTAL"

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeBox() override;

private:
    void correct();
    void wrong();
    void answer(bool right);
    void endOfPress();
    void startSuddenDeath();
    void announce(int winner);
    void setMarker(int i, Mark mark, bool current);
    void finish();

    std::array<Marker, 11> markers_{};
    std::array<int, 3> finalistSlot_{};
    int top_ = 1;
    bool over_ = false;
};
