#include "platform/midas/song_player.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>

namespace platform {

namespace {

bool Before(const SongPosition& a, const SongPosition& b) {
  return a.position < b.position || (a.position == b.position && a.row < b.row);
}

}  // namespace

void SongPlayer::Start(openmpt_module* module, bool loop) {
  module_ = module;
  loop_ = loop;
  ended_ = false;
  openmpt_module_ctl_set_integer(module_, "dither", 0);  // the same samples on every run
  openmpt_module_set_repeat_count(module_, loop ? -1 : 0);
  openmpt_module_set_position_order_row(module_, 0, 0);
  start_ = SongPosition{};
  start_.pattern = static_cast<std::uint32_t>(std::max(0, openmpt_module_get_current_pattern(module_)));
  rendered_ = 0;
  marks_[0] = Mark{0, start_};
  markCount_ = 1;
}

void SongPlayer::Stop() { module_ = nullptr; }

void SongPlayer::Note(std::uint64_t lastFrame) {
  if (ended_) return;
  const SongPosition& previous = marks_[(markCount_ - 1) % PositionLogSize].where;
  SongPosition now;
  now.position = static_cast<std::uint32_t>(std::max(0, openmpt_module_get_current_order(module_)));
  now.pattern = static_cast<std::uint32_t>(std::max(0, openmpt_module_get_current_pattern(module_)));
  now.row = static_cast<std::uint32_t>(std::max(0, openmpt_module_get_current_row(module_)));
  if (Before(now, previous) && !loop_) {
    // Past the end libopenmpt reports order 0, row 0 for the short tail it still renders.
    ended_ = true;
    return;
  }
  now.loopCount = previous.loopCount + (Before(now, previous) ? 1 : 0);
  marks_[markCount_ % PositionLogSize] = Mark{lastFrame, now};
  ++markCount_;
}

void SongPlayer::Render(std::int16_t* out, std::size_t frames) {
  std::size_t done = 0;
  while (module_ && done < frames) {
    const std::size_t want = std::min(PieceFrames, frames - done);
    const std::size_t got = openmpt_module_read_interleaved_stereo(module_, SongRate, want, out + 2 * done);
    if (got == 0) break;  // the song ended (not looping)
    done += got;
    rendered_ += got;
    Note(rendered_ - 1);
  }
  std::fill(out + 2 * done, out + 2 * frames, std::int16_t{0});
}

SongPosition SongPlayer::PositionAt(std::int64_t frame) const {
  if (frame < 0 || markCount_ == 0) return start_;
  const std::size_t kept = std::min(markCount_, PositionLogSize);
  for (std::size_t back = 1; back <= kept; ++back) {
    const Mark& mark = marks_[(markCount_ - back) % PositionLogSize];
    if (mark.lastFrame <= static_cast<std::uint64_t>(frame)) return mark.where;
  }
  return marks_[(markCount_ - kept) % PositionLogSize].where;
}

}  // namespace platform
