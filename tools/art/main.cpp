// korvo-art: makes the demo's own art.
//   korvo-art bitmap ID OUT.bmp        one bitmap resource (1001 to 1006)
//   korvo-art object NAME OUT.obu      one object (talo1, talo2, talo3, cyl, piikki)
//   korvo-art animation NAME OUT.dat   one animation (item, kone, 3dfx, pullo, kelmu, mina)
//   korvo-art icon SIZE OUT.bmp|png    the program's icon (resource 666) at 32 or 256 pixels
//   korvo-art contact-sheet OUT.png    every bitmap, object and animation in one picture
//   korvo-art storyboard CAPTURE_DIR OUT.png [--beside OTHER_DIR]
//                                      a row of pictures and figures per scene entry
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/art/animations.h"
#include "tools/art/bitmaps.h"
#include "tools/art/bmp.h"
#include "tools/art/contact_sheet.h"
#include "tools/art/icon.h"
#include "tools/art/objects.h"
#include "tools/art/storyboard.h"

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "korvo-art: %s\n", message.c_str());
  return 1;
}

bool KnownBitmap(int id) {
  for (const art::BitmapInfo& info : art::BitmapTable())
    if (info.id == id) return true;
  return false;
}

template <typename Table, typename Key>
bool Known(const Table& table, const Key& key) {
  for (const auto& entry : table)
    if (entry == key) return true;
  return false;
}

bool KnownAnimation(const std::string& name) {
  for (const art::AnimationInfo& info : art::AnimationTable())
    if (info.name == name) return true;
  return false;
}

int Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::string fault;
  return art::WriteFile(path, bytes, &fault) ? 0 : Fail(fault);
}

constexpr const char* kUsage =
    "usage: korvo-art COMMAND ...\n"
    "  bitmap ID OUT.bmp               paint one bitmap resource (1001 to 1006)\n"
    "  icon SIZE OUT.bmp|OUT.png       paint the program's icon (resource 666) at 32 or 256 pixels\n"
    "  object NAME OUT.obu             build one object (talo1 talo2 talo3 cyl piikki)\n"
    "  animation NAME OUT.dat          render one animation (item kone 3dfx pullo kelmu mina)\n"
    "  contact-sheet OUT.png [DATA_DIR BITMAP_DIR]\n"
    "                                  every bitmap, object and animation in one picture\n"
    "  storyboard CAPTURE_DIR OUT.png  a row per scene-table entry of a capture (korvo --capture):\n"
    "                                  three moments and the shares of clipped white (every channel\n"
    "                                  240 or more) and black (every channel below 16), mean luma and\n"
    "                                  detail (mean luma step between neighbours); the figures are\n"
    "                                  also printed as a table\n"
    "  storyboard CAPTURE_DIR OUT.png --beside OTHER_DIR\n"
    "                                  the same with a second capture of the same moments (e.g. a\n"
    "                                  --render-scale one) shown beside each picture, reduced to its\n"
    "                                  size by box averaging; each entry's PSNR against the first\n"
    "                                  capture is drawn and printed\n"
    "  --help                          this text\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "korvo-art: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage("no command given");
  const std::string& command = args[0];
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::string fault;
  if (command == "bitmap" && args.size() == 3) {
    int id = std::atoi(args[1].c_str());
    if (!KnownBitmap(id)) return Fail("no bitmap " + args[1]);
    return Write(args[2], art::MakeBitmapFile(id));
  }
  if (command == "object" && args.size() == 3) {
    if (!Known(art::ObjectNames(), args[1])) return Fail("no object " + args[1]);
    std::vector<std::uint8_t> bytes;
    if (!art::MakeObjectFile(args[1], &bytes, &fault)) return Fail(fault);
    return Write(args[2], bytes);
  }
  if (command == "animation" && args.size() == 3) {
    if (!KnownAnimation(args[1])) return Fail("no animation " + args[1]);
    std::vector<std::uint8_t> bytes;
    if (!art::MakeAnimationFile(args[1], &bytes, &fault)) return Fail(fault);
    return Write(args[2], bytes);
  }
  if (command == "contact-sheet" && (args.size() == 2 || args.size() == 4)) {
    art::ContactSheetSources sources{KORVO_ART_DATA, KORVO_ART_BITMAPS};
    if (args.size() == 4) {
      sources.dataFolder = args[2];
      sources.bitmapFolder = args[3];
    }
    if (!art::WriteContactSheet(args[1], sources, &fault)) return Fail(fault);
    return 0;
  }
  if (command == "icon" && args.size() == 3) {
    if (args[1] != "32" && args[1] != "256") return Usage("the icon comes at 32 or 256 pixels, not " + args[1]);
    const art::RgbaImage icon = art::MakeIcon(std::atoi(args[1].c_str()));
    const std::string& out = args[2];
    if (out.size() > 4 && out.compare(out.size() - 4, 4, ".png") == 0) {
      return art::WriteIconPng(out, icon, &fault) ? 0 : Fail(fault);
    }
    return Write(out, art::EncodeBmp32(icon));
  }
  if (command == "storyboard" && args.size() == 5 && args[3] != "--beside") {
    return Usage("unknown option '" + args[3] + "' for storyboard");
  }
  if (command == "storyboard" && args.size() == 5 && args[4].empty()) return Usage("--beside needs a capture folder");
  if (command == "storyboard" && (args.size() == 3 || args.size() == 5)) {
    std::vector<art::EntryFigures> table;
    if (!art::MakeStoryboard(args[1], args[2], &table, &fault, args.size() == 5 ? args[4] : "")) return Fail(fault);
    std::fputs(art::FigureTable(table).c_str(), stdout);
    return 0;
  }
  if (command == "bitmap" || command == "object" || command == "animation" || command == "contact-sheet" ||
      command == "storyboard" || command == "icon") {
    return Usage("wrong number of arguments for " + command);
  }
  return Usage("unknown command '" + command + "' (try --help)");
}
