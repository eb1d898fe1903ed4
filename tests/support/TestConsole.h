#pragma once

#include "FakeSound.h"
#include "ScriptedDialogs.h"
#include "Windows.h"
#include "ui/Console.h"

#include <QCoreApplication>
#include <QEvent>
#include <memory>

// A console with fake sound and scripted dialogs; every window of the program is registered.
struct TestConsole {
    static inline const QString dir = QStringLiteral("/opt/quolmar");

    TestConsole() : console(dialogs, wav, midi, dir) {
        registerWindows(console.forms);
        console.forms.setQuitHandler([this] { ++quits; });
    }
    ~TestConsole() { flush(); }

    // Lets windows that were unloaded be destroyed, as the event loop would.
    static void flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    GameState& state() { return console.state; }
    Forms& forms() { return console.forms; }

    ScriptedDialogs dialogs;
    FakeWavPlayer wav;
    FakeMidiDevice midi;
    Console console;
    int quits = 0;
};
