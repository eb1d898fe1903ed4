#pragma once

#include <mutex>

// SDL's audio is started and stopped on the clips' queue, while FluidSynth, making its settings on
// the music's queue, asks SDL which audio devices it has: SDL allows neither alongside the other.
// Both hold this lock meanwhile.
inline std::mutex& audioSetupLock() {
    static std::mutex lock;
    return lock;
}
