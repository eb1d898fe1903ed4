#include "Dialogs.h"

#include "Bystander.h"

#include <QAbstractButton>
#include <QApplication>
#include <QIcon>
#include <QMessageBox>

namespace {

QMessageBox::StandardButton ask(const QString& text, const QString& title,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton) {
    // Over the host's window; never over one that only shows the game, should it have the keyboard.
    QWidget* over = QApplication::activeWindow();
    if (over == nullptr || over->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus)) {
        const QList<QWidget*> hosts = Bystander::hostWindows();
        over = hosts.isEmpty() ? nullptr : hosts.first();
    }
    QMessageBox box(QMessageBox::NoIcon, title, text, buttons, over);
    // Modal to the host's window alone: Qt drops a key typed into a window a modal box blocks, and
    // the windows that follow the game must still pass theirs on to the box.
    box.setWindowModality(Qt::WindowModal);
    // Names typed by the host appear in messages; they must never be read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    for (QAbstractButton* b : box.buttons())
        b->setIcon(QIcon());
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

void MessageBoxDialogs::message(const QString& text, const QString& title) {
    ask(text, title, QMessageBox::Ok, QMessageBox::Ok);
}

bool MessageBoxDialogs::okCancel(const QString& text, const QString& title) {
    return ask(text, title, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) ==
           QMessageBox::Ok;
}

bool MessageBoxDialogs::yesNo(const QString& text, const QString& title) {
    return ask(text, title, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
           QMessageBox::Yes;
}
