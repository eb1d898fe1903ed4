#pragma once

#include "ui/Dialogs.h"

#include <QList>
#include <QStringList>
#include <functional>

// Answers message boxes from a script and records the text and title of every box shown.
class ScriptedDialogs final : public Dialogs {
public:
    void message(const QString& text, const QString& title) override { show(text, title); }
    bool okCancel(const QString& text, const QString& title) override { return ask(text, title); }
    bool yesNo(const QString& text, const QString& title) override { return ask(text, title); }

    // Answers for the next questions (true: OK or Yes); OK or Yes once they run out.
    void answer(std::initializer_list<bool> answers) { answers_.append(answers); }
    QString last() const { return texts.isEmpty() ? QString() : texts.last(); }
    void clear() { texts.clear(), titles.clear(); }

    QStringList texts, titles;
    // Runs while a box is "open", to act as the host would meanwhile.
    std::function<void(const QString&)> onShow;
    // When set, answers every question instead of the script.
    std::function<bool()> chooser;

private:
    void show(const QString& text, const QString& title) {
        texts << text;
        titles << title;
        if (onShow)
            onShow(text);
    }
    bool ask(const QString& text, const QString& title) {
        show(text, title);
        return chooser ? chooser() : answers_.isEmpty() || answers_.takeFirst();
    }
    QList<bool> answers_;
};
