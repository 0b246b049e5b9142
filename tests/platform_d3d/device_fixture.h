// A headless context for the device tests, and small helpers to make textures and draw quads.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/d3d/d3dx.h"
#include "platform/d3d/software_device.h"
#include "platform/win32/platform_mode.h"

class DeviceTest : public ::testing::Test {
 public:
  void SetUp() override {
    platform::Mode().presentation = platform::Presentation::Headless;
    ASSERT_EQ(D3DXInitialize(), S_OK);
    ASSERT_EQ(D3DXCreateContextEx(D3DX_DEFAULT, D3DX_CONTEXT_FULLSCREEN, nullptr, nullptr, 16,
                                  D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 1, 640, 480, D3DX_DEFAULT,
                                  &context),
              S_OK);
    device = context->GetD3DDevice();
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
  }
  void TearDown() override {
    for (IDirectDrawSurface7* t : textures) t->Release();
    device->SetTexture(0, nullptr);
    device->Release();
    D3DXUninitialize();
  }

  std::uint16_t* frame() { return SoftwareDevice::Instance().backBuffer().pixels(); }
  std::uint16_t Pixel(int x, int y) { return frame()[y * 640 + x]; }
  std::uint16_t Depth(int x, int y) { return SoftwareDevice::Instance().depthBuffer()[y * 640 + x]; }

  // A texture holding the given R5G6B5 texels (rows packed).
  IDirectDrawSurface7* MakeTexture(int width, int height, const std::vector<std::uint16_t>& texels) {
    DWORD w = static_cast<DWORD>(width), h = static_cast<DWORD>(height);
    D3DX_SURFACEFORMAT format = D3DX_SF_R5G6B5;
    IDirectDrawSurface7* texture = nullptr;
    EXPECT_EQ(D3DXCreateTexture(device, nullptr, &w, &h, &format, nullptr, &texture, nullptr), S_OK);
    std::vector<std::uint16_t> copy = texels;
    EXPECT_EQ(D3DXLoadTextureFromMemory(device, texture, 0, copy.data(), nullptr, D3DX_SF_R5G6B5, 0,
                                        nullptr, D3DX_FT_POINT),
              S_OK);
    textures.push_back(texture);
    return texture;
  }

  // A screen rectangle as two strip triangles, corners at the given pixel coordinates.
  void DrawRect(float left, float top, float right, float bottom, D3DCOLOR diffuse,
                D3DCOLOR specular = 0, float u0 = 0, float v0 = 0, float u1 = 1, float v1 = 1,
                float z = 0.5f) {
    D3DTLVERTEX v[4] = {{left, top, z, 1, diffuse, specular, u0, v0},
                        {right, top, z, 1, diffuse, specular, u1, v0},
                        {left, bottom, z, 1, diffuse, specular, u0, v1},
                        {right, bottom, z, 1, diffuse, specular, u1, v1}};
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, v, 4, 0), D3D_OK);
  }

  void Additive(bool on) {
    device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, on ? TRUE : FALSE);
    device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
  }

  ID3DXContext* context = nullptr;
  IDirect3DDevice7* device = nullptr;
  std::vector<IDirectDrawSurface7*> textures;
};

constexpr std::uint16_t Rgb565(int r, int g, int b) {
  return static_cast<std::uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}
