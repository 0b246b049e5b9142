// The tools' command lines: numbers taken strictly (no wrap, no NaN or infinity, no trailing
// text), sizes checked before anything is allocated, and the options of encode and convert.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tools/anim/animation_encoder.h"
#include "tools/anim/encode_options.h"
#include "tools/anim/frame_record_encoder.h"
#include "tools/anim/sample_picture.h"
#include "tools/common/numbers.h"
#include "tools/obj/convert_options.h"

namespace {

// Runs a parser over words as if they were argv.
template <typename Parse>
bool ParseWords(std::vector<std::string> words, Parse parse, std::string* fault) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  return parse(static_cast<int>(argv.size()), argv.data(), fault);
}

TEST(StrictNumbers, WholeNumbersRefuseWrapTrailingTextAndRange) {
  std::string fault;
  std::int64_t value = -1;
  EXPECT_TRUE(tools::ParseInteger("INDEX", "42", 0, 100, &value, &fault));
  EXPECT_EQ(value, 42);
  for (const char* bad : {"4294967296", "99999999999999999999", "-1", "12abc", "", " 5", "+", "0x10", "1e3"}) {
    value = 7;
    EXPECT_FALSE(tools::ParseInteger("INDEX", bad, 0, 2147483647, &value, &fault)) << bad;
    EXPECT_EQ(value, 7) << bad;
    EXPECT_EQ(fault.rfind(std::string("INDEX ") + bad + ":", 0), 0u) << fault;
  }
}

TEST(StrictNumbers, RealNumbersMustBeFiniteAndInRange) {
  std::string fault;
  double value = 0.0;
  EXPECT_TRUE(tools::ParseReal("--psnr", "38.5", 1, 100, &value, &fault));
  EXPECT_EQ(value, 38.5);
  EXPECT_TRUE(tools::ParseReal("--scale", "-2e-3", -10, 10, &value, &fault));
  EXPECT_EQ(value, -2e-3);
  for (const char* bad : {"nan", "NaN", "inf", "-inf", "infinity", "1e39", "1e400", "0x1p3", "3,5", "", "7 "}) {
    EXPECT_FALSE(tools::ParseReal("--scale", bad, -1e6, 1e6, &value, &fault)) << bad;
    EXPECT_NE(fault.find("--scale"), std::string::npos);
  }
  double three[3] = {};
  EXPECT_TRUE(tools::ParseReals("--rotate", "90,-45.5,0", 3, -360, 360, three, &fault));
  EXPECT_EQ(three[1], -45.5);
  for (const char* bad : {"90,0", "90,0,0,0", "90,,0", "90,nan,0", "1000,0,0"}) {
    EXPECT_FALSE(tools::ParseReals("--rotate", bad, 3, -360, 360, three, &fault)) << bad;
  }
}

TEST(StrictNumbers, SizesTakeBothFormsWithinTheirBounds) {
  std::string fault;
  int w = 0, h = 0;
  EXPECT_TRUE(tools::ParseSize("--size", "6x5", 1, 256, true, &w, &h, &fault));
  EXPECT_EQ(w * 10 + h, 65);
  EXPECT_TRUE(tools::ParseSize("--size", "7", 1, 256, true, &w, &h, &fault));
  EXPECT_EQ(w * 10 + h, 77);
  EXPECT_FALSE(tools::ParseSize("WxH", "7", 1, 256, false, &w, &h, &fault));
  for (const char* bad : {"256x16777216", "65536x65536", "0x4", "4x", "x4", "4x4x4", "-4x4"}) {
    EXPECT_FALSE(tools::ParseSize("--size", bad, 1, 32767, true, &w, &h, &fault)) << bad;
  }
}

TEST(EncodeArguments, OptionsAreCheckedAndFramesCollected) {
  anim::EncodeRequest request;
  std::string fault;
  auto parse = [&request](int argc, char** argv, std::string* f) {
    request = {};
    return anim::ParseEncodeArguments(argc, argv, &request, f);
  };
  ASSERT_TRUE(ParseWords({"o.dat", "a.png", "--size", "128x64", "--luma-only", "b", "--for", "data/pullo"}, parse,
                         &fault))
      << fault;
  EXPECT_EQ(request.inputs, (std::vector<std::string>{"a.png", "b"})) << "options between the frames";
  EXPECT_TRUE(request.out == "o.dat" && request.settings.frame.height == 64 && request.settings.frame.lumaOnly);
  EXPECT_EQ(request.forFile, "pullo.dat");
  const std::vector<std::vector<std::string>> refused = {
      {"o.dat", "f.png", "--psnr", "nan"},        {"o.dat", "f.png", "--shift", "8"},
      {"o.dat", "f.png", "--for", "cow"},         {"o.dat", "f.png", "--max-code-length", "33"},
      {"o.dat", "f.png", "--size"},               {"o.dat", "f.png", "--vertical", "maybe"},
      {"o.dat", "f.png", "--bogus", "1"},         {"o.dat"}};
  for (const auto& words : refused) EXPECT_FALSE(ParseWords(words, parse, &fault)) << words.back();
}

// Sizes, blocks and shifts the decoder cannot take; a tall frame's pixel count once wrapped to 0
// in int and passed the decoder's limits.
TEST(EncodeArguments, FrameSettingsRefuseWhatTheDecoderCannotTakeAndSceneUseWarnsOfSizeAndTooFewFrames) {
  anim::FrameSettings tall, shift;
  tall.width = 256;
  tall.height = 16777216;
  tall.lumaBlockWidth = 0;
  tall.lumaOnly = true;
  shift.residualShift = 8;
  const anim::FrameSettings refused[] = {tall, shift, {300, 16}, {256, 512}, {24, 24, 16, 16}, {24, 24, 4, 3},
                                         {24, 24, 4, 4, 32, 8}};
  for (const anim::FrameSettings& s : refused) {
    EXPECT_NE(anim::CheckFrameSettings(s), "") << s.width << " x " << s.height;
  }
  tall.height = 256;
  EXPECT_EQ(anim::CheckFrameSettings(tall), "");
  EXPECT_EQ(anim::CheckFrameSettings({24, 24, 4, 4, 8, 8}), "");
  anim::AnimationSettings wide;
  wide.frame = refused[2];
  std::vector<std::uint8_t> coded;
  std::string fault;
  EXPECT_FALSE(anim::EncodeFrame(anim::SamplePicture(8, 8, 0), wide, &coded, &fault)) << "the encoder checks them";
  // A scene use warns of the wrong size and of too few frames.
  const anim::SceneUse* kone = anim::FindSceneUse("kone");
  ASSERT_NE(kone, nullptr);
  EXPECT_EQ(anim::FindSceneUse("/x/data/kone.dat"), kone);
  EXPECT_EQ(anim::FindSceneUse("cone"), nullptr);
  anim::FrameSettings frame;
  frame.width = frame.height = kone->textureSize;
  EXPECT_TRUE(anim::SceneUseWarnings(*kone, frame, kone->fewestFrames).empty());
  EXPECT_EQ(anim::SceneUseWarnings(*kone, frame, kone->fewestFrames - 1).size(), 1u);
  frame.height = kone->textureSize / 2;
  EXPECT_EQ(anim::SceneUseWarnings(*kone, frame, kone->fewestFrames - 1).size(), 2u);
}

TEST(ConvertArguments, ScaleAndFitAreFiniteAndExclusive) {
  ConvertRequest request;
  std::string fault;
  auto parse = [&request](int argc, char** argv, std::string* f) {
    request = {};
    return ParseConvertArguments(argc, argv, &request, f);
  };
  ASSERT_TRUE(ParseWords({"in.obj", "out.obu", "--rotate", "0,90,0", "--fit", "12", "--ground"}, parse, &fault));
  EXPECT_TRUE(request.rotate[1] == 90.0 && request.fitHeight == 12.0 && request.ground);
  for (const char* scale : {"nan", "inf", "1e39", "2x"}) {
    EXPECT_FALSE(ParseWords({"in.obj", "out.obu", "--scale", scale}, parse, &fault)) << scale;
  }
  EXPECT_FALSE(ParseWords({"in.obj", "out.obu", "--scale", "2", "--fit", "3"}, parse, &fault));
  EXPECT_FALSE(ParseWords({"in.obj", "out.obu", "--fit", "0"}, parse, &fault));
  EXPECT_FALSE(ParseWords({"in.obj"}, parse, &fault));
  EXPECT_FALSE(ParseWords({"in.obj", "out.obu", "extra"}, parse, &fault));
}

ObjectMesh Tent(float size) {
  ObjectMesh mesh;
  mesh.positions = {{-size, 0, -size}, {size, 0, -size}, {0, 2 * size, 0}, {0, size, size}};
  mesh.faces = {{0, 1, 2}, {1, 3, 2}, {3, 0, 2}};
  ComputeSmoothNormals(mesh, NormalSharing::PerVertex);
  return mesh;
}

TEST(ConvertArguments, RequestsApplyInOrderAndRefuseWhatCannotBeDrawn) {
  ConvertRequest request;
  request.rotate[0] = 90;  // y up becomes z: the height then comes from the old -z extent
  request.fitHeight = 10;
  request.ground = true;
  ObjectMesh mesh = Tent(1);
  std::string fault;
  ASSERT_TRUE(ApplyConvertRequest(request, &mesh, &fault)) << fault;
  Vector3 low, high;
  ASSERT_TRUE(MeshBounds(mesh, &low, &high));
  EXPECT_TRUE(std::fabs(low.y) < 1e-5f && std::fabs(high.y - 10.0f) < 1e-5f) << "grounded and fitted after the turn";
  EXPECT_NEAR(high.z, 10.0f, 1e-4f) << "the old top, 2 units, scaled by 10 / 2";

  ObjectMesh flat = Tent(1);
  flat.faces.clear();
  EXPECT_FALSE(ApplyConvertRequest(ConvertRequest{}, &flat, &fault));
  EXPECT_NE(fault.find("no faces"), std::string::npos);

  // Coordinates near the float limit: the normals keep a direction, scaling them does not fit.
  ObjectMesh huge = Tent(3e38f / 2);
  for (const Vector3& n : huge.normals) EXPECT_NEAR(std::hypot(n.x, n.y, n.z), 1.0, 1e-5);
  ConvertRequest grow;
  grow.scale = 7.5;
  EXPECT_FALSE(ApplyConvertRequest(grow, &huge, &fault));
  EXPECT_NE(fault.find("not a finite number"), std::string::npos) << fault;
}

}  // namespace
