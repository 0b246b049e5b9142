// A capture run: every shown frame is listed in frames.tsv, and the frames whose music position
// lies in [from, to] are written as numbered PNG pictures. The run stops once the position has
// passed `to`.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct CaptureSettings {
  std::string folder;
  int from = 0;
  int to = 0xFFFF;
};

// False with a message on standard error when the folder cannot be made or written.
bool BeginCapture(const CaptureSettings& settings);
// One shown frame at its music position (0xPPRR) and scene-table entry. Returns false once the
// position is past `to`: the run should stop after this frame.
bool CaptureFrame(const std::uint16_t* pixels, int position, int entry, std::uint32_t milliseconds);
// Closes the frame list and prints the closing line "frames=F last=0xPPRR".
void EndCapture();

int CapturedFrameCount();

}  // namespace platform
