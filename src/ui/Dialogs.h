#pragma once

#include <QString>

class QWidget;

// The one seam for modal message boxes, so tests can answer them from a script.
class Dialogs {
public:
    static inline const QString programTitle = QStringLiteral("quolmar");

    virtual ~Dialogs() = default;
    // A message with an OK button only.
    virtual void message(const QString& text, const QString& title = programTitle) = 0;
    // OK/Cancel; true for OK.
    virtual bool okCancel(const QString& text, const QString& title = programTitle) = 0;
    // Yes/No; true for Yes.
    virtual bool yesNo(const QString& text, const QString& title = programTitle) = 0;
};

// Real message boxes: no icon, plain text, modal over the active window.
class MessageBoxDialogs final : public Dialogs {
public:
    void message(const QString& text, const QString& title = programTitle) override;
    bool okCancel(const QString& text, const QString& title = programTitle) override;
    bool yesNo(const QString& text, const QString& title = programTitle) override;
};
