#include "tools/art/bust.h"

#include <cmath>

#include "tools/art/noise.h"
#include "tools/art/parallel.h"
#include "tools/art/sdf.h"

namespace art {

namespace {

enum Material { kSkin = 1, kHair, kEye, kLip, kCloth };

constexpr Vec3 kNeckPivot{0, 0.26f, 0.03f};

struct BustShape {
  BustPose pose;

  // Head space: undo the head's turn about the neck pivot.
  Vec3 ToHead(Vec3 p) const {
    Vec3 q = p - kNeckPivot;
    q = RotateY(q, -pose.headYaw);
    q = RotateX(q, -pose.headPitch);
    q = RotateZ(q, -pose.headRoll);
    return q + kNeckPivot;
  }

  SdfSample Head(Vec3 q) const {
    float bound = Length(q - Vec3{0, 0.58f, 0}) - 0.62f;
    if (bound > 0.08f) return {bound, kSkin};
    float d = SdEllipsoid(q - Vec3{0, 0.62f, 0.03f}, {0.335f, 0.385f, 0.40f});
    d = SmoothMin(d, SdEllipsoid(q - Vec3{0, 0.47f, -0.08f}, {0.285f, 0.33f, 0.31f}), 0.1f);
    d = SmoothMin(d, SdRoundCone(q, {0, 0.43f, -0.06f}, {0, 0.21f, -0.19f}, 0.235f, 0.085f), 0.08f);
    d = SmoothMin(d, SdSphere(q - Vec3{0, 0.195f, -0.255f}, 0.072f), 0.06f);
    d = SmoothMin(d, SdEllipsoid(q - Vec3{0, 0.628f, -0.322f}, {0.235f, 0.052f, 0.09f}), 0.05f);
    for (float s : {-1.0f, 1.0f}) {
      d = SmoothMin(d, SdSphere(q - Vec3{s * 0.165f, 0.45f, -0.232f}, 0.095f), 0.07f);
      d = SmoothMax(d, -SdEllipsoid(q - Vec3{s * 0.115f, 0.555f, -0.39f}, {0.08f, 0.052f, 0.07f}), 0.035f);
      d = SmoothMin(d, SdEllipsoid(q - Vec3{s * 0.325f, 0.52f, 0.03f}, {0.042f, 0.105f, 0.07f}), 0.03f);
      // Upper and lower lids: closing moves the upper one down over the eye.
      float lidY = Mix(0.59f, 0.55f, 1 - pose.eyesOpen);
      d = SmoothMin(d, SdEllipsoid(q - Vec3{s * 0.113f, lidY, -0.318f}, {0.072f, 0.024f, 0.064f}), 0.015f);
      d = SmoothMin(d, SdEllipsoid(q - Vec3{s * 0.113f, 0.516f, -0.322f}, {0.066f, 0.018f, 0.06f}), 0.012f);
    }
    // Nose: bridge, tip and wings, with nostrils.
    d = SmoothMin(d, SdRoundCone(q, {0, 0.585f, -0.37f}, {0, 0.445f, -0.452f}, 0.026f, 0.04f), 0.03f);
    d = SmoothMin(d, SdSphere(q - Vec3{0, 0.428f, -0.448f}, 0.04f), 0.02f);
    for (float s : {-1.0f, 1.0f}) {
      d = SmoothMin(d, SdSphere(q - Vec3{s * 0.042f, 0.418f, -0.41f}, 0.032f), 0.02f);
      d = SmoothMax(d, -SdSphere(q - Vec3{s * 0.021f, 0.398f, -0.432f}, 0.011f), 0.006f);
    }
    // The muzzle fills out the face between nose and chin.
    d = SmoothMin(d, SdEllipsoid(q - Vec3{0, 0.35f, -0.29f}, {0.12f, 0.1f, 0.1f}), 0.05f);
    int material = kSkin;
    // Lips with the line of the mouth between them.
    float open = pose.mouthOpen * 0.025f;
    float lips = std::min(SdEllipsoid(q - Vec3{0, 0.332f + open * 0.3f, -0.37f}, {0.075f, 0.02f, 0.035f}),
                          SdEllipsoid(q - Vec3{0, 0.295f - open, -0.365f}, {0.068f, 0.024f, 0.035f}));
    if (lips < d + 0.004f) material = kLip;
    d = SmoothMin(d, lips, 0.02f);
    d = SmoothMax(d, -SdEllipsoid(q - Vec3{0, 0.312f - open * 0.5f, -0.41f}, {0.078f, 0.004f + open, 0.035f}), 0.004f);
    // Eyes, looking straight ahead from the head.
    for (float s : {-1.0f, 1.0f}) {
      float eye = SdSphere(q - Vec3{s * 0.113f, 0.553f, -0.31f}, 0.06f);
      if (eye < d) {
        d = eye;
        material = kEye;
      }
    }
    // Short hair over the top and back, cut along a hairline above the brow.
    Vec3 h = q - Vec3{0, 0.72f, -0.3f};
    float hairline = (h.y * -0.6f - h.z) / 1.166f;
    // Strands combed down from the crown, and a bob that falls to the jaw behind the face.
    float strands = 0.0035f * std::sin(70 * std::atan2(q.x, q.z - 0.05f) + 4 * q.y) +
                    0.006f * Noise3(q.x * 14, q.y * 14, q.z * 14, 7);
    float cap = SdEllipsoid(q - Vec3{0, 0.665f, 0.055f}, {0.362f, 0.418f, 0.43f});
    float bob = SdEllipsoid(q - Vec3{0, 0.5f, 0.08f}, {0.375f, 0.36f, 0.41f});
    bob = SmoothMax(SmoothMax(bob, -0.04f - q.z, 0.05f), 0.27f - q.y, 0.05f);
    float hair = SmoothMax(std::min(cap, bob) + strands, hairline, 0.03f);
    if (hair < d) {
      d = SmoothMin(d, hair, 0.01f);
      material = kHair;
    }
    return {d, material};
  }

  SdfSample Body(Vec3 p) const {
    Vec3 b = RotateY(p, -pose.bodyYaw);
    float bound = Length(b - Vec3{0, -0.7f, 0.1f}) - 1.05f;
    if (bound > 0.08f) return {bound, kCloth};
    float d = SdBox(b - Vec3{0, -1.1f, 0.1f}, {0.64f, 0.62f, 0.24f}, 0.28f);
    d = SmoothMin(d, SdEllipsoid(b - Vec3{0, -0.55f, 0.08f}, {0.66f, 0.3f, 0.3f}), 0.15f);
    for (float s : {-1.0f, 1.0f}) {
      // Shoulder joint, and the slope from neck to shoulder.
      d = SmoothMin(d, SdSphere(b - Vec3{s * 0.63f, -0.33f, 0.12f}, 0.17f), 0.15f);
      d = SmoothMin(d, SdCapsule(b, {0, -0.02f, 0.08f}, {s * 0.58f, -0.28f, 0.12f}, 0.11f), 0.16f);
    }
    float neck = SdCapsule(b, {0, -0.15f, 0.05f}, {0, 0.34f, 0.04f}, 0.125f);
    d = SmoothMin(d, neck, 0.14f);
    d = std::max(d, -1.55f - b.y);  // the bust's base, below the picture
    float neckline = -0.2f - 0.9f * std::max(0.0f, 0.2f - std::fabs(b.x));
    int material = (b.y < neckline && neck > 0.02f) ? kCloth : kSkin;
    return {d, material};
  }

  SdfSample operator()(Vec3 p) const {
    SdfSample head = Head(ToHead(p));
    SdfSample body = Body(p);
    float d = SmoothMin(head.distance, body.distance, 0.06f);
    return {d, head.distance < body.distance ? head.material : body.material};
  }
};

struct Surface {
  Vec3 albedo;
  float specular;
  float shininess;
};

Surface SurfaceAt(const BustShape& shape, const BustLook& look, const Hit& hit) {
  switch (hit.material) {
    case kHair: return {look.hair, look.specular * 0.8f, 24};
    case kLip: return {look.lip, look.specular * 1.2f, 40};
    case kCloth: {
      return {look.cloth, look.specular * 0.5f, 12};
    }
    case kEye: {
      Vec3 q = shape.ToHead(hit.position);
      float side = q.x < 0 ? -1.0f : 1.0f;
      Vec3 local = Normalize(q - Vec3{side * 0.113f, 0.553f, -0.31f});
      float toward = -local.z;
      Vec3 albedo = Vec3{0.85f, 0.83f, 0.8f};
      if (toward > 0.84f) albedo = look.iris * (0.7f + 0.3f * std::sin(std::atan2(local.y, local.x) * 18));
      if (toward > 0.955f) albedo = Vec3{0.02f, 0.02f, 0.02f};
      return {albedo, look.specular * 3, 90};
    }
    default: return {look.skin, look.specular, 30};
  }
}

Vec3 Shade(const BustShape& shape, const BustLook& look, const Hit& hit, Vec3 viewDir) {
  Surface s = SurfaceAt(shape, look, hit);
  Vec3 n = hit.normal;
  float ao = AmbientOcclusion(shape, hit.position, n, 0.02f);
  Vec3 colour = look.ambient * ao;
  const DirectionalLight* lights[] = {&look.key, &look.fill, &look.rim};
  for (int i = 0; i < 3; ++i) {
    const DirectionalLight& light = *lights[i];
    Vec3 l = Normalize(light.direction);
    // Wrapped diffuse: light bleeds a little past the terminator, as skin does.
    float diffuse = Clamp01((Dot(n, l) + 0.2f) / 1.2f);
    if (diffuse <= 0) continue;
    float shadow = i == 0 ? SoftShadow(shape, hit.position + n * 0.003f, l, 0.01f, 2.0f, 10.0f) : 1.0f;
    Vec3 half = Normalize(l - viewDir);
    float highlight = std::pow(std::max(0.0f, Dot(n, half)), s.shininess) * s.specular;
    colour += light.colour * ((diffuse * shadow) * ao) * s.albedo + light.colour * (highlight * shadow);
  }
  return colour;
}

Vec3 ToneMap(Vec3 c, float exposure) {
  return {1 - std::exp(-c.x * exposure), 1 - std::exp(-c.y * exposure), 1 - std::exp(-c.z * exposure)};
}

}  // namespace

BustPicture RenderBust(const BustView& view, const BustPose& pose, const BustLook& look) {
  BustShape shape{pose};
  Camera camera(view.eye, view.target, view.fovDegrees, view.shownAspect);
  BustPicture out{Canvas(view.width, view.height),
                  std::vector<float>(static_cast<size_t>(view.width) * view.height, 0.0f)};
  const int n = std::max(1, view.samples);
  const float maxT = Length(view.eye - view.target) + 2.5f;
  ForEachRow(view.height, [&](int y) {
    for (int x = 0; x < view.width; ++x) {
      Vec3 sum;
      int covered = 0;
      for (int sy = 0; sy < n; ++sy) {
        for (int sx = 0; sx < n; ++sx) {
          float u = (x + (sx + 0.5f) / n) / view.width;
          float v = (y + (sy + 0.5f) / n) / view.height;
          Vec3 dir = camera.Ray(u, v);
          Hit hit = Trace(shape, camera.eye, dir, maxT);
          if (!hit.found) continue;
          ++covered;
          sum += ToneMap(Shade(shape, look, hit, dir), look.exposure);
        }
      }
      out.colour.At(x, y) = sum / static_cast<float>(n * n);
      out.coverage[static_cast<size_t>(y) * view.width + x] = static_cast<float>(covered) / (n * n);
    }
  });
  return out;
}

}  // namespace art
