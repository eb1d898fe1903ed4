#include "Forms.h"

#include "Console.h"
#include "Design.h"
#include "LatinKey.h"
#include "state/Rules.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace {

// The hand-over to a window, as told to those who follow the game; false for a box that is
// shown over the game without taking its place.
bool handedTo(const QString& name, Notice& n) {
    if (name == windows::about)
        return false;
    n.stage = name == windows::finalRound ? Stage::Final : Stage::Start;
    for (const GameFormat* f : {&formats::six, &formats::eight, &formats::nine})
        for (const auto& [window, stage] :
             {std::pair{f->namesWindow, Stage::TeamEntry}, std::pair{f->gameWindow, Stage::Round},
              std::pair{f->voteoffWindow, Stage::VoteOff},
              std::pair{f->goodbyeWindow, Stage::Goodbye}})
            if (name == QLatin1String(window)) {
                n.stage = stage;
                n.format = f;
            }
    return true;
}

} // namespace

Forms::Forms(Console& console) : console_(console) {}

Forms::~Forms() {
    for (auto& w : built_)
        delete w.data();
}

void Forms::add(const QString& name, Factory factory) {
    factories_[name] = std::move(factory);
}

bool Forms::has(const QString& name) const {
    return factories_.count(name) != 0;
}

Form* Forms::load(const QString& name) {
    if (Form* w = find(name))
        return w;
    auto it = factories_.find(name);
    if (it == factories_.end())
        return nullptr;
    Form* w = it->second(console_);
    loaded_[name] = w;
    std::erase_if(built_, [](const QPointer<Form>& p) { return p.isNull(); });
    built_.emplace_back(w);
    return w;
}

Form* Forms::show(const QString& name) {
    Form* w = load(name);
    if (w == nullptr)
        return nullptr;
    w->show();
    w->raise();
    w->activateWindow();
    if (Notice n; handedTo(name, n))
        emit console_.notices.told(n);
    return w;
}

void Forms::unload(const QString& name) {
    auto it = loaded_.find(name);
    if (it == loaded_.end())
        return;
    QPointer<Form> w = it->second;
    loaded_.erase(it);
    if (w) {
        w->unloading();
        w->hide();
        w->deleteLater();
    }
}

Form* Forms::handOver(const QString& from, const QString& to) {
    if (!has(to))
        return nullptr;
    Form* next = show(to);
    unload(from);
    return next;
}

Form* Forms::find(const QString& name) const {
    auto it = loaded_.find(name);
    return it == loaded_.end() ? nullptr : it->second.data();
}

QStringList Forms::loaded() const {
    QStringList names;
    for (const auto& [name, w] : loaded_)
        if (w)
            names << name;
    return names;
}

void Forms::quit() {
    for (const QString& name : loaded())
        unload(name);
    if (quitHandler_)
        quitHandler_();
}

Qt::WindowFlags titleBar(Qt::WindowFlags extra, Qt::WindowType kind) {
    return kind | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowCloseButtonHint | extra;
}

Form::Form(Console& c, const QString& name, Qt::WindowFlags flags)
    : QWidget(nullptr, flags), console(c) {
    setObjectName(name);
    setFont(design::windowFont());
    design::buttonFace(this);
}

Form* Form::handOver(const QString& next) {
    return console.forms.handOver(objectName(), next);
}

void Form::closeBox() {
    console.forms.unload(objectName());
}

void Form::closeEvent(QCloseEvent* event) {
    event->accept();
    closeBox();
}

void Form::setDefaultButton(QPushButton* b) {
    defaultButton_ = b;
    b->setDefault(true);
}

void Form::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && defaultButton_ != nullptr) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        (focused != nullptr && focused->isEnabled() ? focused : defaultButton_)->click();
        return;
    }
    if (key == Qt::Key_Escape && cancelButton_ != nullptr) {
        cancelButton_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

QString Form::typed(const QKeyEvent* event) {
    if (event->key() == Qt::Key_Backspace || event->matches(QKeySequence::Undo))
        return QString(QLatin1Char(rules::undoKey));
    if (const QChar latin = latinKey(*event); !latin.isNull()) {
        // Ctrl+Z by the key's Latin letter; other Ctrl keys do nothing, as on a Latin layout.
        const QKeyEvent asLatin(event->type(), latin.toUpper().unicode(), event->modifiers());
        if (asLatin.matches(QKeySequence::Undo))
            return QString(QLatin1Char(rules::undoKey));
        if (!(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
            return QString(latin);
    }
    return event->text();
}
