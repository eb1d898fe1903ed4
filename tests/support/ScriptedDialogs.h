#pragma once

#include "ui/Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// Answers message boxes from a script and records every box it was shown.
class ScriptedDialogs final : public Dialogs {
public:
    struct Shown {
        enum Kind { Message, OkCancel, YesNo } kind;
        QString text;
        QString title;
    };

    void message(const QString& text, const QString& title) override {
        shown.append({Shown::Message, text, title});
        if (onShow)
            onShow(text);
    }
    bool okCancel(const QString& text, const QString& title) override {
        return ask({Shown::OkCancel, text, title});
    }
    bool yesNo(const QString& text, const QString& title) override {
        return ask({Shown::YesNo, text, title});
    }

    // Answers for the next OK/Cancel or Yes/No questions (true: OK or Yes); OK/Yes when empty.
    void answer(std::initializer_list<bool> answers) { answers_.append(answers); }
    QStringList texts() const {
        QStringList out;
        for (const auto& s : shown)
            out << s.text;
        return out;
    }
    QString last() const { return shown.isEmpty() ? QString() : shown.last().text; }
    void clear() { shown.clear(); }

    QList<Shown> shown;
    // Runs while a box is "open", e.g. to act as the host would meanwhile.
    std::function<void(const QString&)> onShow;
    // When set, answers every OK/Cancel or Yes/No question instead of the script.
    std::function<bool(const Shown&)> chooser;

private:
    // The box is kept by value: whatever onShow does meanwhile may show further boxes.
    bool ask(const Shown& box) {
        shown.append(box);
        if (onShow)
            onShow(box.text);
        if (chooser)
            return chooser(box);
        return answers_.isEmpty() ? true : answers_.takeFirst();
    }
    QList<bool> answers_;
};
