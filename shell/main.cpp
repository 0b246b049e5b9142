// The portable entry point: reads the command line and runs the demo in the mode it asks for.
#include <cstdio>
#include <string>

#include "platform/options.h"
#include "shell/modes.h"
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
  platform::Options options;
  std::string error;
  if (!platform::ParseOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "korvo: %s\n%s", error.c_str(), platform::UsageText());
    return 2;
  }
  switch (options.action) {
    case platform::Options::Action::Help:
      std::fputs(platform::UsageText(), stdout);
      return 0;
    case platform::Options::Action::Version:
      std::printf("korvo %s\n", KORVO_VERSION);
      return 0;
    case platform::Options::Action::ListScenes:
      ListScenes();
      return 0;
    case platform::Options::Action::Run:
      break;
  }
  return RunDemo(options);
}
