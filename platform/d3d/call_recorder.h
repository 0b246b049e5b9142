// The device's call recorder: a debug instrument for tests of the code above the device (scenes,
// rendering toolkit). While recording, every state change, draw, texture load, clear and scene
// bracket that reaches the device is appended to a list with the arguments it came with; a draw
// also keeps the bound texture, the projection in force and the render states that shape it.
//
// Recording runs on the demo's thread, like every device call. With rasterizing switched off the
// device still keeps its state and validates arguments, but draws, clears and texture loads leave
// the pixels alone, so tests of long call sequences run fast.
#pragma once

#include <vector>

#include "platform/d3d/d3d7.h"

namespace d3drec {

// The render states that decide how a draw comes out, as they stood when it was made.
struct RenderStates {
  DWORD alphaBlend = FALSE;  // D3DRENDERSTATE_ALPHABLENDENABLE
  DWORD srcBlend = D3DBLEND_ONE;
  DWORD destBlend = D3DBLEND_ZERO;
  DWORD zEnable = D3DZB_TRUE;
  DWORD zWrite = TRUE;
  DWORD colorKey = FALSE;  // D3DRENDERSTATE_COLORKEYENABLE
  DWORD specular = FALSE;  // D3DRENDERSTATE_SPECULARENABLE
  DWORD cullMode = D3DCULL_CCW;
};

struct Call {
  enum class Kind {
    SetRenderState,
    SetTextureStageState,
    SetTexture,
    SetTransform,
    DrawPrimitive,
    DrawIndexedPrimitive,
    LoadTextureFromMemory,
    LoadTextureFromSurface,
    Clear,
    BeginScene,
    EndScene,
  };
  Call() = default;
  explicit Call(Kind k) : kind(k) {}

  Kind kind = Kind::BeginScene;
  DWORD state = 0, value = 0;              // Set*State; SetTransform: state; Clear: value = flags
  IDirectDrawSurface7* texture = nullptr;  // SetTexture, the bound texture of draws, target of loads
  IDirectDrawSurface7* source = nullptr;   // LoadTextureFromSurface: the surface copied from
  D3DMATRIX matrix{};                      // SetTransform; draws: the projection in force
  std::vector<D3DTLVERTEX> tlVertices;     // DrawPrimitive
  std::vector<D3DLVERTEX> lVertices;       // DrawIndexedPrimitive
  std::vector<WORD> indices;               // DrawIndexedPrimitive
  RenderStates states{};                   // draws
};

// Starts a fresh list (earlier calls are dropped).
void StartRecording();
void StopRecording();
bool Recording();
const std::vector<Call>& Calls();
void ClearCalls();

// Device side: appends one call while recording.
void Append(Call call);

// Off: draws, clears and loads are recorded and validated but change no pixel. On by default.
void SetRasterizing(bool on);
bool Rasterizing();

}  // namespace d3drec
