// Runs a backup file's recording through the decode path of playback: the
// segments in file order from the first header, their frames split and
// queued, the decode stage and the Framix decoder; the slots are shown and
// recycled as the display side would.
#pragma once
#include <cstdint>
#include <functional>

#include "picture_slots.h"

namespace am4frames {

// Told of each stored picture in display order, numbered from 0.
using PictureSink = std::function<void(int index, const engine::PictureEntry& picture)>;

// Decodes the file, with the decoder set up for `format_code` when it is not
// negative, otherwise for the recording's own. False when the file is refused.
bool DecodeRecording(const wchar_t* path, int64_t format_code, const PictureSink& sink);

}  // namespace am4frames
