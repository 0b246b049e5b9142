// korvo-bench device: three synthetic frames drawn by the software device, timed for one thread,
// two and all cores. Prints "device FRAME threads=N median_ms=M cpu_ms=C" per frame and thread
// count, with "speedup=S" against one thread. Optional arguments: frames per measurement
// (default 31); ring, tunnel or objects to time only the frames named; --plain times the plain
// loops, those of processors without AVX2; --avx2 the AVX2 loops where the processor has AVX-512
// too; --render-scale K and --colour 32 draw the same frames in a high-definition rendering.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench.h"
#include "platform/d3d/d3dx.h"
#include "platform/d3d/draw_queue.h"
#include "platform/d3d/span_kernels.h"
#include "platform/d3d/worker_pool.h"
#include "platform/win32/platform_mode.h"

namespace {

struct Scene {
  ID3DXContext* context;
  IDirect3DDevice7* device;
  IDirectDrawSurface7* backBuffer;
  IDirectDrawSurface7* lines;   // thin bright diagonal lines over a faint face, mostly black
  IDirectDrawSurface7* picture; // a busy picture
  IDirectDrawSurface7* feedback;
};

IDirectDrawSurface7* MakeTexture(IDirect3DDevice7* device, const std::function<std::uint16_t(int, int)>& texel) {
  DWORD w = 256, h = 256;
  D3DX_SURFACEFORMAT format = D3DX_SF_R5G6B5;
  IDirectDrawSurface7* texture = nullptr;
  D3DXCreateTexture(device, nullptr, &w, &h, &format, nullptr, &texture, nullptr);
  std::vector<std::uint16_t> pixels(256 * 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) pixels[y * 256 + x] = texel(x, y);
  D3DXLoadTextureFromMemory(device, texture, 0, pixels.data(), nullptr, D3DX_SF_R5G6B5, 0, nullptr,
                            D3DX_FT_POINT);
  return texture;
}

std::uint16_t Grey(int level) {
  level = std::clamp(level, 0, 255);
  return static_cast<std::uint16_t>((level >> 3) << 11 | (level >> 2) << 5 | (level >> 3));
}

// A screen quad as the demo's quad drawer makes it: size about the centre, turned, grey.
void Quad(IDirect3DDevice7* device, float size, float angle, int grey) {
  const float corners[4][4] = {{-320, -240, 0, 0}, {319, -240, 1, 0}, {-320, 239, 0, 1}, {319, 239, 1, 1}};
  float c = std::cos(angle * 0.006135918f), s = std::sin(angle * 0.006135918f);
  D3DTLVERTEX v[4];
  DWORD colour = static_cast<DWORD>(grey) * 0x010101;
  for (int k = 0; k < 4; ++k) {
    float x = corners[k][0] * size, y = corners[k][1] * size;
    v[k] = {x * c + y * s + 320, y * c - x * s + 240, 0.99999f, 1.0f, colour, 0, corners[k][2], corners[k][3]};
  }
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, v, 4, 0);
}

void Additive(IDirect3DDevice7* device, bool on) {
  device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, on);
  device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
}

void RingFrame(Scene& scene) {
  IDirect3DDevice7* d = scene.device;
  scene.context->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
  d->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
  Additive(d, false);
  d->SetTexture(0, scene.picture);
  Quad(d, 1.0f, 0, 255);
  Additive(d, true);
  d->SetTexture(0, scene.lines);
  for (int k = 0; k < 31; ++k) Quad(d, 2.3f + 2.4f * k / 30, 37.0f * k, 40);
}

void TunnelFrame(Scene& scene) {
  IDirect3DDevice7* d = scene.device;
  d->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
  D3DXLoadTextureFromSurface(d, scene.feedback, 0, scene.backBuffer, nullptr, nullptr, D3DX_FT_POINT);
  Additive(d, true);
  d->SetTexture(0, scene.feedback);
  for (int k = 0; k < 19; ++k) Quad(d, 0.7f + 1.08f * k / 18, 3.0f * k, 25);
  d->SetTexture(0, scene.picture);
  for (int k = 0; k < 3; ++k) Quad(d, 1.0f, 0, 30);
}

struct Mesh {
  std::vector<D3DLVERTEX> vertices;
  std::vector<WORD> indices;
};

// A lit sphere of about 2,000 triangles at a camera-space position.
Mesh Sphere(float cx, float cy, float cz, float radius) {
  constexpr int kRings = 24, kSegments = 42;
  Mesh mesh;
  for (int r = 0; r <= kRings; ++r) {
    for (int s = 0; s <= kSegments; ++s) {
      float a = 3.14159f * r / kRings, b = 2 * 3.14159f * s / kSegments;
      float nx = std::sin(a) * std::cos(b), ny = std::cos(a), nz = std::sin(a) * std::sin(b);
      float light = std::max(0.0f, -0.5f * nx + 0.6f * ny - 0.6f * nz) * 300 + 40;
      DWORD level = static_cast<DWORD>(std::min(light, 255.0f));
      DWORD over = static_cast<DWORD>(std::clamp(light - 255, 0.0f, 255.0f));
      mesh.vertices.push_back({cx + radius * nx, cy + radius * ny, cz + radius * nz, 0, level * 0x010101,
                               over * 0x010101, nx, ny});
    }
  }
  for (int r = 0; r < kRings; ++r) {
    for (int s = 0; s < kSegments; ++s) {
      WORD a = static_cast<WORD>(r * (kSegments + 1) + s), b = static_cast<WORD>(a + kSegments + 1);
      mesh.indices.insert(mesh.indices.end(), {a, b, static_cast<WORD>(a + 1), static_cast<WORD>(a + 1), b,
                                               static_cast<WORD>(b + 1)});
    }
  }
  return mesh;
}

void ObjectsFrame(Scene& scene, std::vector<Mesh>& meshes) {
  IDirect3DDevice7* d = scene.device;
  scene.context->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
  Additive(d, false);
  d->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE);
  d->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, TRUE);
  d->SetTexture(0, scene.picture);
  for (Mesh& m : meshes) {
    d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, m.vertices.data(),
                            static_cast<DWORD>(m.vertices.size()), m.indices.data(),
                            static_cast<DWORD>(m.indices.size()), 0);
  }
}

double CpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Median wall time, and the processor time of all threads, per frame. On a shared machine the
// second shows the work itself. Returns the median wall time.
double Measure(const char* name, int threads, int repeats, const std::function<void()>& frame, double oneThread) {
  std::vector<double> wall, cpu;
  for (int i = 0; i < repeats; ++i) {
    auto start = std::chrono::steady_clock::now();
    double cpuStart = CpuMilliseconds();
    frame();
    FlushDraws();  // the queued draws are the frame's cost
    cpu.push_back(CpuMilliseconds() - cpuStart);
    wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  const double median = wall[wall.size() / 2];
  std::printf("device %s threads=%d median_ms=%.2f cpu_ms=%.2f", name, threads, median, cpu[cpu.size() / 2]);
  if (threads > 1) std::printf(" speedup=%.2f", oneThread / median);
  std::printf("\n");
  return median;
}

int BenchDevice(int argc, char** argv) {
  int repeats = 31;
  bool plain = false, avx512 = true;
  std::vector<std::string> frames;  // empty: all three
  for (int k = 1; k < argc; ++k) {
    const std::string argument = argv[k];
    const bool valued = k + 1 < argc && (argument == "--render-scale" || argument == "--colour");
    if (argument == "--plain") {
      plain = true;
    } else if (argument == "--avx2") {
      avx512 = false;
    } else if (argument == "ring" || argument == "tunnel" || argument == "objects") {
      frames.push_back(argument);
    } else if (valued && argument == "--render-scale" && std::atoi(argv[k + 1]) >= 1 && std::atoi(argv[k + 1]) <= 4) {
      platform::Mode().renderScale = std::atoi(argv[++k]);
    } else if (valued && argument == "--colour" && (std::string(argv[k + 1]) == "16" || std::string(argv[k + 1]) == "32")) {
      platform::Mode().colourBits = std::atoi(argv[++k]);
    } else if (argument.find_first_not_of("0123456789") == std::string::npos && argument.size() < 7 &&
               std::atoi(argv[k]) > 0) {
      repeats = std::atoi(argv[k]);
    } else {
      std::fprintf(stderr,
                   "device: \"%s\" is not --plain, --avx2, --render-scale 1..4, --colour 16|32, ring, tunnel, objects or a "
                   "frame count from 1 to 999999\n",
                   argv[k]);
      return 2;
    }
  }
  const bool wide = SelectSpanKernels(!plain, avx512);
#if KORVO_X86_KERNELS
  avx512 = avx512 && wide && ProcessorHasAvx512();
#else
  avx512 = false;
#endif
  std::printf("device wide_loops=%s avx512=%s rendering=%dx%d colour=%d\n", wide ? "yes" : "no", avx512 ? "yes" : "no",
              640 * platform::Mode().renderScale, 480 * platform::Mode().renderScale, platform::Mode().colourBits);
  platform::Mode().presentation = platform::Presentation::Headless;
  D3DXInitialize();
  Scene scene{};
  if (D3DXCreateContextEx(D3DX_DEFAULT, D3DX_CONTEXT_FULLSCREEN, nullptr, nullptr, 16, D3DX_DEFAULT,
                          D3DX_DEFAULT, D3DX_DEFAULT, 1, 640, 480, D3DX_DEFAULT, &scene.context) != S_OK) {
    std::fprintf(stderr, "device: no context\n");
    return 1;
  }
  scene.device = scene.context->GetD3DDevice();
  scene.backBuffer = scene.context->GetBackBuffer(0);
  scene.lines = MakeTexture(scene.device, [](int x, int y) {
    int d = (x + y) % 37;
    if (d == 0) return Grey(250);
    float fx = (x - 128) / 70.0f, fy = (y - 120) / 90.0f;
    return Grey(fx * fx + fy * fy < 1 ? 5 : 0);
  });
  scene.picture = MakeTexture(scene.device, [](int x, int y) {
    return static_cast<std::uint16_t>(((x * 7 + y * 3) & 0x1F) << 11 | ((x ^ y) & 0x3F) << 5 | (y & 0x1F));
  });
  DWORD w = 256, h = 256;
  D3DX_SURFACEFORMAT format = D3DX_SF_R5G6B5;
  D3DXCreateTexture(scene.device, nullptr, &w, &h, &format, nullptr, &scene.feedback, nullptr);
  D3DMATRIX projection{};
  projection._11 = 1.8585827f;
  projection._22 = 2.0129251f;
  projection._33 = 1.0001f;
  projection._34 = 1.0f;
  projection._43 = -1.0001f;
  scene.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
  scene.device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  std::vector<Mesh> meshes;
  for (int k = 0; k < 13; ++k) meshes.push_back(Sphere(-180.0f + 30 * k, 40.0f * std::sin(k * 1.0f), 200.0f + 10 * k, 45));

  // One thread, two, and every core, each frame's speed-up against one thread.
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  std::vector<int> counts = {1};
  for (int threads : {2, cores}) {
    if (threads > counts.back() && threads <= cores) counts.push_back(threads);
  }
  double ring = 0, tunnel = 0, objects = 0;
  for (int threads : counts) {
    SetWorkerThreadCount(threads);
    const auto measure = [&](const char* name, const std::function<void()>& frame, double& oneThread) {
      if (!frames.empty() && std::find(frames.begin(), frames.end(), name) == frames.end()) return;
      const double median = Measure(name, threads, repeats, frame, oneThread);
      if (threads == 1) oneThread = median;
    };
    measure("ring", [&] { RingFrame(scene); }, ring);
    RingFrame(scene);  // the tunnel feeds back whatever the frame holds
    FlushDraws();
    measure("tunnel", [&] { TunnelFrame(scene); }, tunnel);
    measure("objects", [&] { ObjectsFrame(scene, meshes); }, objects);
  }
  D3DXUninitialize();
  return 0;
}

}  // namespace

KORVO_BENCH(device, BenchDevice);
