// The scene table: in playing order, which scene draws until which music position.
#pragma once

using SceneFunction = void (*)();

struct SceneTableEntry {
  SceneFunction scene;
  float endPosition;  // a MusicPosition; the entry is current until the position passes it
  const char* name;   // the scene function's name, for listings and frame logs
};

constexpr int SceneTableSize = 26;
extern const SceneTableEntry SceneTable[SceneTableSize];
