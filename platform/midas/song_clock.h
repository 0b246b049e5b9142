// What the rest of the platform layer may ask of the sound stand-in besides the MIDAS calls: the
// last play status the demo was given (the capture code labels each frame with it) and, for the
// virtual sink, rendering the song up to a point of the virtual clock.
#pragma once

#include <cstdint>

#include "platform/midas/midas.h"

namespace platform {

// The status the last successful MIDASgetPlayStatus reported; all zero before the first.
MIDASplayStatus LastPlayStatus();

// Virtual sink only: renders the playing song through the frame heard `milliseconds` after
// MIDASplayModule, appending it to the WAV file if one is set. Nothing happens in device mode,
// without a playing song, or for a time already rendered.
void RenderSongUntil(double milliseconds);

// The song as a run on a virtual clock of framesPerSecond, started with the song, left it after
// its frame `frame` (0 is the first): rendered again from the start, unheard, in the same pieces
// as that run, so that what follows is the same to the sample; only the frames not given out
// before go to the sound file (or the capture's tap). A song on the
// audio device moves to the virtual sink (a later Sound::Device hands it back). False without a
// playing song.
bool ReplaySongToFrame(int framesPerSecond, std::uint64_t frame);

}  // namespace platform
