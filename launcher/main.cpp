// The portable entry point: reads the command line and runs the demo in the mode it asks for.
#include <cstdio>
#include <string>

#include "launcher/options.h"
#include "launcher/modes.h"
#include "shell/scene_table.h"

namespace {

void ListScenes() {
  std::printf("entry  ends after  scene\n");
  for (int i = 0; i < SceneTableSize; ++i) {
    std::printf("%5d  0x%04X      %s\n", i, static_cast<int>(SceneTable[i].endPosition),
                SceneTable[i].name);
  }
}

}  // namespace

int main(int argc, char** argv) {
  launcher::Options options;
  std::string error;
  if (!launcher::ParseOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "korvo: %s\n%s", error.c_str(), launcher::UsageText());
    return 2;
  }
  switch (options.action) {
    case launcher::Options::Action::Help:
      std::fputs(launcher::UsageText(), stdout);
      return 0;
    case launcher::Options::Action::Version:
      std::printf("korvo %s\n", KORVO_VERSION);
      return 0;
    case launcher::Options::Action::ListScenes:
      ListScenes();
      return 0;
    case launcher::Options::Action::Run:
      break;
  }
  return RunDemo(options);
}
