#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <map>
#include <vector>

class Console;
class Form;
class QPushButton;

// The windows that serve every format; each format's own windows are named in its GameFormat.
namespace windows {
inline const QString opening = QStringLiteral("Opening");
inline const QString finalRound = QStringLiteral("Finalround");
inline const QString about = QStringLiteral("frmAbout");
} // namespace windows

// The window registry. A window is built afresh when it is shown or first touched, and is
// destroyed when it closes, so no display state survives from one showing to the next.
class Forms {
public:
    using Factory = std::function<Form*(Console&)>;

    explicit Forms(Console& console);
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    void add(const QString& name, Factory factory);
    bool has(const QString& name) const;

    // Builds the window if it is not loaded (its opening steps run) without showing it.
    Form* load(const QString& name);
    // Loads, shows and activates the window.
    Form* show(const QString& name);
    // Hides the window and destroys it once its handlers have returned.
    void unload(const QString& name);
    // Shows the next window, then unloads the one handing over; nothing if there is no next.
    Form* handOver(const QString& from, const QString& to);
    // The loaded window of that name, or nullptr.
    Form* find(const QString& name) const;
    QStringList loaded() const;

    // Closes every window and ends the program.
    void quit();
    void setQuitHandler(std::function<void()> handler) { quitHandler_ = std::move(handler); }

private:
    Console& console_;
    std::map<QString, Factory> factories_;
    std::map<QString, QPointer<Form>> loaded_;
    std::vector<QPointer<Form>> built_; // also those still waiting for their deferred delete
    std::function<void()> quitHandler_;
};

// A title bar with a close box and only the buttons a design has: `extra` adds minimise (or
// minimise and maximise) to a window, `kind` makes a tool window of a small box.
Qt::WindowFlags titleBar(Qt::WindowFlags extra = {}, Qt::WindowType kind = Qt::Window);

// Base of every window: knows its console and leaves the registry when it is closed.
class Form : public QWidget {
    Q_OBJECT
public:
    Form(Console& console, const QString& name, Qt::WindowFlags flags);

    // Runs when the registry unloads the window, before it is hidden; stops what would outlive it.
    virtual void unloading() {}

protected:
    // Enter presses the default button (or the button that has the focus); Esc the cancel one.
    void setDefaultButton(QPushButton* b);
    void setCancelButton(QPushButton* b) { cancelButton_ = b; }
    void keyPressEvent(QKeyEvent* event) override;
    // What a key press types for a window's key map: Backspace and the platform's undo keys
    // (Ctrl+Z) as the undo key, whatever text the platform gives them; on a layout without Latin
    // letters the key's Latin letter (latinKey); else the event's text.
    static QString typed(const QKeyEvent* event);

    // Shows the next window and unloads this one.
    Form* handOver(const QString& next);

    // What the close box of the title bar does; by default the window just unloads.
    virtual void closeBox();
    void closeEvent(QCloseEvent* event) override;

    Console& console;

private:
    QPushButton* defaultButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};
