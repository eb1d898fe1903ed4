#pragma once

#include <QString>

// A media-control device driven by text commands ("open sequencer!<path> alias midi",
// "play midi", "stop midi", "close midi"); answers 0 on success, an error code otherwise.
class MidiDevice {
public:
    virtual ~MidiDevice() = default;
    virtual int command(const QString& text) = 0;
    // Gets the synthesiser ready, and the instruments of `piece` if one is named, before the
    // round, so the clock never waits for them.
    virtual void prepare(const QString& piece) { Q_UNUSED(piece); }
};
