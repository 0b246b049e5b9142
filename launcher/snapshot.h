// State snapshots: the whole demo state after one frame of a run on a virtual clock, kept in a
// cache folder so that a later run can start from it instead of from the song's beginning.
//
// A snapshot holds the timeline, every scene variable and hand-off (scenes/scene_state.h), the
// device's render states, transforms and bound texture, the back buffer and the three render
// textures; the song is not stored but rendered again up to the snapshot's frame, which is cheap
// and exact to the sample. A state depends on the frame times that led to it, so a snapshot
// belongs to one frame rate N; it is also keyed by a hash of the program, the data files and the
// song, and checksummed, so a stale or damaged file is never trusted.
//
// Files: <cache>/korvo/<N>fps/<frame>.snap (<N>fps-<K>x-<B>bit for a rendering at another scale
// or colour depth), where <cache> is $XDG_CACHE_HOME or ~/.cache, and <frame> counts the frames of
// the run from 0. Demo thread only, between frames.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/shared.h"

namespace launcher {

// Where in its run a snapshot was taken; readable without the state itself.
struct SnapshotMark {
  std::uint32_t frame = 0;        // frames of the run before this one
  std::int32_t position = 0;      // MusicPosition heard at this frame
  std::int32_t previousPosition = -1;  // at the frame before; -1 for the first frame
  std::uint32_t tick = 0;         // GetTickCount of this frame
  std::uint32_t previousTick = 0;  // of the frame before (0 for the first)
  std::int32_t entry = 0;         // SceneIndex after this frame
};

// The current demo state as bytes. False when a hand-off holds something no snapshot can name
// (an unknown post-process routine, a foreign texture bound).
bool SaveDemoState(std::vector<std::uint8_t>& state);
// Puts a state from SaveDemoState back: scenes, toolkit, device, surfaces and timeline. Checks
// sizes and indices first and changes nothing on a mismatch. Clock and song are the caller's.
bool RestoreDemoState(std::span<const std::uint8_t> state, std::string* fault);

// $XDG_CACHE_HOME/korvo, else ~/.cache/korvo; empty when neither can be told.
std::filesystem::path CacheFolder();

// The key of this program with the data it loaded: hash of the program file (taken once per
// process), the loaded data files and the song file. Call after the data is loaded.
std::uint64_t ProgramDataKey();

// Writes the file whole through a temporary name, so a reader never sees half of it.
bool WriteSnapshotFile(const std::filesystem::path& file, std::uint64_t key, int fps,
                       const SnapshotMark& mark, std::span<const std::uint8_t> state,
                       std::string* fault);
// The mark alone, from the header; nullopt for a file that is not a whole header of this key and
// frame rate.
std::optional<SnapshotMark> ReadSnapshotMark(const std::filesystem::path& file, std::uint64_t key, int fps);
// The whole file with its checksum verified; false with the cause otherwise.
bool ReadSnapshotFile(const std::filesystem::path& file, std::uint64_t key, int fps,
                      SnapshotMark& mark, std::vector<std::uint8_t>& state, std::string* fault);

}  // namespace launcher
