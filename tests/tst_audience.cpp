// The audience screen: what it shows at each moment of a game of every format, told of every
// change; its texts inside the screen and clear of one another at 720p and 4K; the host's
// windows keep the keyboard.
#include "Host.h"
#include "audience/AudienceScreen.h"
#include "ui/Application.h"

#include <QAccessible>
#include <QApplication>
#include <QStyleFactory>

using namespace audience;

namespace {

// A frame in a line: the phase's own figures, players with the one answering starred, markers
// as v (tick), x (cross), o (current) and . (empty).
QString describe(const Frame& f) {
    QStringList players = f.players;
    if (f.current >= 0)
        players[f.current] += u'*';
    QStringList rows;
    for (const Finalist& who : f.finalists) {
        QString marks;
        for (Mark m : who.marks)
            marks += m == Mark::Tick ? u'v' : m == Mark::Cross ? u'x' : m == Mark::Current ? u'o' : u'.';
        rows << who.name + ":" + marks;
    }
    const auto shown = [](const QString& s) { return s.isEmpty() ? QStringLiteral("-") : s; };
    switch (f.phase) {
    case Phase::Title:
        return QStringLiteral("title");
    case Phase::Round:
    case Phase::RoundEnd:
        return QStringLiteral("link %1 of %2, bank %3, clock %4, total %5 | %6%7")
            .arg(f.litLink)
            .arg(f.chain.join(u' '), f.bank, shown(f.clock), shown(f.total), players.join(u' '),
                 f.banner.isEmpty() ? QString() : " | " + f.banner);
    case Phase::VoteOff:
        return f.banner + " " + players.join(u' ');
    case Phase::Goodbye:
        return f.name + ", " + f.banner;
    case Phase::Final:
        return rows.join(u' ') + (f.suddenDeath ? " sudden death " : " ") + f.prize;
    case Phase::Winner:
        return f.name + " " + f.banner + " " + f.prize;
    }
    return {};
}

} // namespace

class TestAudience : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setStyle(QStyleFactory::create("Fusion")); }
    void cleanup() { TestConsole::flush(); }

    void moments_data() {
        QTest::addColumn<int>("players");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("shows");
        const QString toFinal6 = "S . V out:2 ok S . V out:3 ok S . V out:4 ok S . V out:5 ok S . ";
        QTest::newRow("6 before the first round")
            << 6 << "c" << "" << "link 0 of $100 $250 $500 $1,000 $5,000 $12,500, bank $0, clock 0, "
                                 "total - | Ada Bea Cai Dov Eli Fay";
        QTest::newRow("8 chain and turn") << 8 << "c" << "S C*3 B C"
                                          << "link 1 of $1,000 $2,500 $5,000 $10,000 $25,000 "
                                             "$50,000 $75,000 $125,000, bank $5,000, clock 150, "
                                             "total - | Ada Bea Cai Dov Eli* Fay Gus Hal";
        QTest::newRow("9 clock hidden") << 9 << "" << "S .7"
                                        << "link 0 of $20 $50 $100 $200 $300 $450 $600 $800 "
                                           "$1,000, bank $0, clock -, total - | Ada* Bea Cai Dov "
                                           "Eli Fay Gus Hal Ivo";
        QTest::newRow("9 H shows the clock") << 9 << "" << "S .7 H"
                                             << "link 0 of $20 $50 $100 $200 $300 $450 $600 $800 "
                                                "$1,000, bank $0, clock 173, total - | Ada* Bea Cai "
                                                "Dov Eli Fay Gus Hal Ivo";
        QTest::newRow("6 time up") << 6 << "c" << "S C B . T"
                                   << "link 0 of $100 $250 $500 $1,000 $5,000 $12,500, bank $100, "
                                      "clock 0, total $100 | Ada Bea Cai Dov Eli Fay | Time is up.";
        QTest::newRow("6 target") << 6 << "" << "S C*6 B"
                                  << "link 0 of $100 $250 $500 $1,000 $5,000 $12,500, bank "
                                     "$12,500, clock -, total - | Ada Bea Cai Dov Eli Fay | You "
                                     "reached the target!";
        QTest::newRow("9 vote-off") << 9 << "c" << "S . V"
                                    << "Who is the Brackwyn? Ada Bea Cai Dov Eli Fay Gus Hal Ivo";
        QTest::newRow("8 goodbye") << 8 << "c" << "S . V out:2" << "Bea, You ARE the Brackwyn!";
        QTest::newRow("8 next round") << 8 << "c" << "S . V out:2 ok S"
                                      << "link 0 of $1,000 $2,500 $5,000 $10,000 $25,000 $50,000 "
                                         "$75,000 $125,000, bank $0, clock 140, total - | Ada Cai* "
                                         "Dov Eli Fay Gus Hal";
        QTest::newRow("6 final") << 6 << "c" << toFinal6 + "F C W" << "Fay:vo... Ada:x.... $0";
        QTest::newRow("6 sudden death") << 6 << "c" << toFinal6 + "F C*10" << "Fay:o Ada:. sudden death $0";
        QTest::newRow("6 winner, still on the start window")
            << 6 << "c" << toFinal6 + "F C W C W C W" << "Fay tonight's strongest link $0";
    }
    void moments() {
        QFETCH(int, players);
        QFETCH(QString, options);
        QFETCH(QString, script);
        Host h(players);
        AudienceScreen screen(h.console);
        // A real message box is shown, and the screen told of it, while its handler waits.
        h.dialogs.onShow = [](const QString&) { emit static_cast<Application*>(qApp)->handled(); };
        QCOMPARE(describe(screen.frame()), "title");
        h.newGame(cast.mid(0, players), options);
        h.play(script);
        QTEST(describe(screen.frame()), "shows");
        // Each text reaches the accessibility bridge, as a label's does.
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&screen);
        QStringList texts;
        for (int i = 0; i < a->childCount(); ++i)
            texts << a->child(i)->text(QAccessible::Name);
        for (const QString& shown : screen.frame().players + QStringList{screen.frame().bank})
            QVERIFY2(shown.isEmpty() || texts.contains(shown), qPrintable(texts.join(u'|')));
    }
};

int main(int argc, char* argv[]) {
    Application app(argc, argv);
    TestAudience test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_audience.moc"
