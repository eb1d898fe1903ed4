// The yardstick for the start-up time and memory of quolmar's start window: a bare Qt Widgets
// window of the same size and kind (a few labels, four buttons, the same style), and nothing else.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyleFactory>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    QWidget window;
    window.setWindowTitle(QStringLiteral("quolmar baseline"));
    window.setFixedSize(312, 415);
    auto* welcome = new QLabel(QStringLiteral("Welcome to..."), &window);
    welcome->setGeometry(12, 8, 289, 25);
    welcome->setAlignment(Qt::AlignCenter);
    auto* choose = new QLabel(QStringLiteral("Choose your format"), &window);
    choose->setGeometry(12, 216, 289, 33);
    choose->setAlignment(Qt::AlignCenter);
    const char* captions[] = {"6 players", "8 players", "9 players", "Quit"};
    QPushButton* last = nullptr;
    int top = 248;
    for (const char* caption : captions) {
        last = new QPushButton(QString::fromLatin1(caption), &window);
        last->setGeometry(8, top, 297, 33);
        top += 40;
    }
    QObject::connect(last, &QPushButton::clicked, &app, &QApplication::quit);
    window.show();
    return QApplication::exec();
}
