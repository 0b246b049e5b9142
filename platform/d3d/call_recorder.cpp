#include "platform/d3d/call_recorder.h"

#include <utility>

namespace d3drec {
namespace {

struct Recorder {
  bool recording = false;
  bool rasterizing = true;
  std::vector<Call> calls;
};

Recorder& TheRecorder() {
  static Recorder recorder;
  return recorder;
}

}  // namespace

void StartRecording() {
  TheRecorder().calls.clear();
  TheRecorder().recording = true;
}

void StopRecording() { TheRecorder().recording = false; }
bool Recording() { return TheRecorder().recording; }
const std::vector<Call>& Calls() { return TheRecorder().calls; }
void ClearCalls() { TheRecorder().calls.clear(); }

void Append(Call call) {
  if (TheRecorder().recording) TheRecorder().calls.push_back(std::move(call));
}

void SetRasterizing(bool on) { TheRecorder().rasterizing = on; }
bool Rasterizing() { return TheRecorder().rasterizing; }

}  // namespace d3drec
