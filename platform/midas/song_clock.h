// What the rest of the platform layer may ask of the sound stand-in besides the MIDAS calls: the
// last play status the demo was given (the capture code labels each frame with it) and, for the
// virtual sink, rendering the song up to a point of the virtual clock.
#pragma once

#include "platform/midas/midas.h"

namespace platform {

// The status the last successful MIDASgetPlayStatus reported; all zero before the first.
MIDASplayStatus LastPlayStatus();

// Virtual sink only: renders the playing song through the frame heard `milliseconds` after
// MIDASplayModule, appending it to the WAV file if one is set. Nothing happens in device mode,
// without a playing song, or for a time already rendered.
void RenderSongUntil(double milliseconds);

}  // namespace platform
