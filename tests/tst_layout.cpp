#include "TestConsole.h"
#include "round/Maingame.h"
#include "ui/Design.h"
#include "ui/Layouts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QSvgRenderer>
#include <QTest>

namespace {

// Designs are drawn in twips; 15 make a pixel, to the nearest pixel.
int px(int twips) {
    return qRound(twips / 15.0);
}

QRect pixels(const QRect& twips) {
    return {px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())};
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT

    std::unique_ptr<TestConsole> tc;

    QWidget* part(const QString& window, const QString& name) {
        Form* f = tc->forms().load(window);
        return f == nullptr ? nullptr : f->findChild<QWidget*>(name);
    }

private slots:
    void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }
    void init() { tc = std::make_unique<TestConsole>(); }
    void cleanup() { tc.reset(); }

    void noDesignForOtherPlayerCounts() {
        for (int players : {0, 5, 7, 10})
            QVERIFY_THROWS_EXCEPTION(std::invalid_argument, layout::forPlayers(players));
    }

    void clientSizes_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QSize>("twips");
        QTest::newRow("Opening") << "Opening" << QSize(4680, 6225);
        QTest::newRow("Names6") << "Names6" << QSize(4680, 2970);
        QTest::newRow("Names8") << "Names8" << QSize(4680, 3015);
        QTest::newRow("Names9") << "Names9" << QSize(6375, 2865);
        QTest::newRow("Maingame6") << "Maingame6" << QSize(11145, 7560);
        QTest::newRow("Maingame8") << "Maingame8" << QSize(11025, 8160);
        QTest::newRow("Maingame9") << "Maingame9" << QSize(12735, 8535);
        QTest::newRow("About") << "frmAbout" << QSize(5730, 3270);
    }
    void clientSizes() {
        QFETCH(QString, window);
        QFETCH(QSize, twips);
        Form* f = tc->forms().show(window);
        QVERIFY(QTest::qWaitForWindowExposed(f));
        const QSize expected(px(twips.width()), px(twips.height()));
        if (auto* m = qobject_cast<Maingame*>(f)) {
            // The menu bar sits above the designed client area, not over it.
            QVERIFY(m->menuBar->height() > 0);
            QCOMPARE(m->client->geometry(), QRect(QPoint(0, m->menuBar->height()), expected));
            QCOMPARE(f->size(), expected + QSize(0, m->menuBar->height()));
        } else {
            QCOMPARE(f->size(), expected);
        }
        if (window == QLatin1String("frmAbout")) {
            QCOMPARE(f->windowTitle(), QStringLiteral("About Tarnevo"));
            QCOMPARE(f->geometry().topLeft(), QPoint(156, 129)); // fixed, measured to the client
        }
    }

    void boxes_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        auto row = [](const char* w, const char* n, int l, int t, int wd, int h) {
            QTest::addRow("%s %s", w, n) << w << n << QRect(l, t, wd, h);
        };
        row("Opening", "Command1", 113, 3720, 4455, 495);
        row("Names6", "Text1(4)", 1800, 735, 1215, 285);
        row("Names8", "Label1(7)", 1800, 2280, 1215, 255);
        row("Names9", "Frame1", 4920, 30, 1335, 1095);
        row("Names9", "Text1(9)", 3480, 2055, 1215, 285);
        row("Maingame6", "Label4", 2280, 5640, 8655, 1695);
        row("Maingame6", "Label1(5)", 480, 1253, 1335, 495);
        row("Maingame6", "Playerframe(1)", 2880, 4260, 1455, 615);
        row("Maingame6", "PlayerName(1)", 3000, 4425, 1215, 375);
        row("Maingame8", "Label1(7)", 360, 853, 1455, 375);
        row("Maingame8", "Shape1(7)", 120, 593, 1935, 975);
        row("Maingame9", "Playerframe(9)", 11040, 5280, 1455, 615);
        row("Maingame9", "PlayerName(9)", 11160, 5385, 1215, 375);
        row("Maingame9", "Shape10", 11160, 480, 1455, 615);
    }
    void boxes() {
        QFETCH(QString, window);
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        QWidget* w = part(window, name);
        QVERIFY(w);
        const QRect want = pixels(twips);
        auto* caption = qobject_cast<QLabel*>(w);
        if (caption == nullptr || !window.startsWith(QLatin1String("Maingame")) ||
            !name.startsWith(QLatin1String("Label1("))) {
            QCOMPARE(w->geometry(), want);
            return;
        }
        // A chain caption may be widened about its anchor so that the whole amount shows.
        QCOMPARE(w->y(), want.y());
        QCOMPARE(w->height(), want.height());
        QVERIFY(w->width() >= want.width());
        if (caption->alignment() & Qt::AlignHCenter)
            QVERIFY(qAbs(w->geometry().center().x() - want.center().x()) <= 1);
        else
            QCOMPARE(w->x(), want.x());
    }

    void fonts_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("points");
        QTest::addColumn<bool>("bold"); // false: the design leaves the weight open
        auto row = [](const char* w, const char* n, double points, bool bold) {
            QTest::addRow("%s %s", w, n) << w << n << points << bold;
        };
        row("Opening", "Label1", 18, true);
        for (const char* b : {"Command1", "Command2", "Command3"})
            row("Opening", b, 12, true);
        for (const char* g : {"Maingame6", "Maingame8", "Maingame9"})
            row(g, "Label4", 24, true);
        row("Maingame6", "Label11", 15.75, false);
        row("Maingame6", "Label1(4)", 14.25, false);
        row("Maingame6", "Label1(5)", 18, false); // the top rung
        row("Maingame8", "Label1(0)", 14.25, false);
        row("Maingame8", "Label1(7)", 18, false);
        row("Maingame9", "Label1(7)", 14.25, false);
        row("Maingame9", "Label1(8)", 18, false);
    }
    void fonts() {
        if (!QFontDatabase::families().contains(QStringLiteral("Liberation Sans")))
            QSKIP("fonts-liberation2 is not installed");
        QFETCH(QString, window);
        QFETCH(QString, name);
        QWidget* w = part(window, name);
        QVERIFY(w);
        QCOMPARE(QFontInfo(w->font()).family(), QStringLiteral("Liberation Sans"));
        QTEST(w->font().pointSizeF(), "points");
        QFETCH(bool, bold);
        QVERIFY(!bold || w->font().bold());
    }

    // The game window as it opens, before any key: chain at the bottom, TOTAL hidden.
    void gameAtOpening_data() {
        QTest::addColumn<int>("players");
        QTest::addColumn<bool>("showClock");
        QTest::addColumn<int>("chainAlign");
        QTest::addColumn<QString>("totalCaption");
        for (bool clock : {false, true}) {
            QTest::addRow("6%s", clock ? " clock" : "")
                << 6 << clock << int(Qt::AlignHCenter) << "";
            QTest::addRow("8%s", clock ? " clock" : "") << 8 << clock << int(Qt::AlignLeft) << "";
            QTest::addRow("9%s", clock ? " clock" : "")
                << 9 << clock << int(Qt::AlignHCenter) << "$0";
        }
    }
    void gameAtOpening() {
        QFETCH(int, players);
        QFETCH(bool, showClock);
        QFETCH(int, chainAlign);
        tc->state().ShowClock = showClock;
        auto* m = tc->forms().load<Maingame>(QStringLiteral("Maingame%1").arg(players));
        QVERIFY(m);
        const QColor highlightText(255, 255, 255); // fixed, whatever the desktop's scheme
        QCOMPARE(int(m->linkCaptions.size()), players);
        for (int i = 0; i < m->linkCaptions.size(); ++i) {
            QLabel* l = m->linkCaptions[i];
            QCOMPARE(m->linkBoxes[i]->fill(), i == 0 ? QColor(192, 96, 96) : QColor(0, 192, 192));
            QCOMPARE(design::textColour(l), i == 0 ? highlightText : QColor(0, 0, 0));
            QCOMPARE(int(l->alignment() & Qt::AlignHorizontal_Mask), chainAlign);
            // The whole amount shows, and inside its link.
            QVERIFY2(QFontMetrics(l->font()).horizontalAdvance(l->text()) <= l->width(),
                     qPrintable(l->text()));
            QVERIFY(m->linkBoxes[i]->geometry().contains(l->geometry()));
        }
        QCOMPARE(m->bankPanel->fill(), QColor(128, 128, 128));
        QTEST(m->totalAmount->text(), "totalCaption");
        for (QWidget* w : std::initializer_list<QWidget*>{m->totalPanel, m->totalAmount, m->totalWord})
            QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
        for (QWidget* w : std::initializer_list<QWidget*>{m->clockPanel, m->clockDigits, m->timeWord})
            QVERIFY2(w->isHidden() != showClock, qPrintable(w->objectName()));
    }

    // The host drives the game with single keys; a click must never take them away.
    void controlsTakeNoFocus_data() {
        QTest::addColumn<int>("players");
        for (int players : {6, 8, 9})
            QTest::addRow("%d", players) << players;
    }
    void controlsTakeNoFocus() {
        QFETCH(int, players);
        auto* m = tc->forms().load<Maingame>(QStringLiteral("Maingame%1").arg(players));
        QStringList focusable;
        for (QWidget* w : m->findChildren<QWidget*>())
            if (w->focusPolicy() != Qt::NoFocus)
                focusable << w->objectName() + u' ' + QLatin1String(w->metaObject()->className());
        QCOMPARE(focusable, QStringList());

        m->show();
        QVERIFY(QTest::qWaitForWindowActive(m));
        for (QWidget* w :
             std::initializer_list<QWidget*>{m->prompt, m->linkBoxes[0], m->nameLabels[1],
                                             m->seatFrames[2], m->picture, m->client}) {
            QTest::mouseClick(w, Qt::LeftButton);
            QCOMPARE(QApplication::focusWidget(), m);
        }
        QTest::keyClick(QApplication::focusWidget(), 't');
        QVERIFY(!m->totalPanel->isHidden());
    }

    void titlePicture() {
        const QString title = QStringLiteral(":/resources/title.svg");
        QSvgRenderer svg(title);
        QVERIFY(svg.isValid());
        QCOMPARE(svg.defaultSize(), QSize(197, 166));
        auto* p = qobject_cast<design::Picture*>(part(QStringLiteral("Opening"), "Image1"));
        QVERIFY(p);
        QCOMPARE(p->resource(), title);
        QCOMPARE(p->geometry(), pixels({893, 600, 2955, 2490}));
        // Drawn without any background, so whatever is opaque came from the picture.
        QImage img(p->size(), QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        p->render(&img, QPoint(), QRegion(), QWidget::RenderFlags());
        QCOMPARE(img.pixelColor(98, 83).alpha(), 255);
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
