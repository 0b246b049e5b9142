#include "render/quad.h"

#include "core/shared.h"
#include "render/light.h"

QuadScale QuadStretch{1.0f, 1.0f};
TexturePoint QuadTexOrigin{0.0f, 0.0f};

namespace {

constexpr float QuadDepth = 0.99999f;  // bits 0x3F7FFF58: just in front of the cleared depth

struct QuadCorner {
  float x, y;  // pixels from the screen centre at size 1
  float u, v;  // added to QuadTexOrigin
};

// Drawing order of the strip: top left, top right, bottom left, bottom right.
constexpr QuadCorner Corners[4] = {
    {-320.0f, -240.0f, 0.0f, 0.0f},
    {319.0f, -240.0f, 1.0f, 0.0f},
    {-320.0f, 239.0f, 0.0f, 1.0f},
    {319.0f, 239.0f, 1.0f, 1.0f},
};

D3DTLVERTEX QuadVertices[4];

}  // namespace

void AdditiveBlendOn() {
  Device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
  Device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
  Device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
}

void BlendOff() { Device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE); }

void DepthTestOn() { Device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE); }

void DepthTestOff() { Device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE); }

void DrawQuad(float size, float angle, int brightness, float dx, float dy) {
  DepthTestOff();
  const DWORD grey = static_cast<DWORD>(brightness) & 0xFF;
  const D3DCOLOR diffuse = (grey << 16) | (grey << 8) | grey;
  for (int k = 0; k < 4; ++k) {
    const QuadCorner& corner = Corners[k];
    WorkVector.x = QuadStretch.x * size * corner.x;
    WorkVector.y = QuadStretch.y * size * corner.y;
    RotateAboutZ(angle);
    D3DTLVERTEX& vertex = QuadVertices[k];
    vertex.sx = WorkVector.x + dx + 320.0f;
    vertex.sy = WorkVector.y + dy + 240.0f;
    vertex.sz = QuadDepth;
    vertex.rhw = 1.0f;
    vertex.color = diffuse;
    vertex.specular = 0;
    vertex.tu = QuadTexOrigin.u + corner.u;
    vertex.tv = QuadTexOrigin.v + corner.v;
  }
  Device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, QuadVertices, 4, 0);
}

void CopyBackBufferToTexture() {
  D3DXLoadTextureFromSurface(Device, RenderTextures[2], 0, BackBuffer, nullptr, nullptr, D3DX_FT_POINT);
}
