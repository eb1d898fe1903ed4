#include "AudioModule.h"

#include "FluidMidiDevice.h"
#include "SdlWavPlayer.h"

extern "C" Q_DECL_EXPORT AudioPlayers quolmar_audio_players() {
    return {new SdlWavPlayer, new FluidMidiDevice};
}
