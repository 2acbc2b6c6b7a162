// Which picture a still is made of: the picture on show at a capture time,
// and the pictures playback decodes paired with the recording's index.
// Portable.
#pragma once
#include <cstdint>
#include <string>

#include "recording_index.h"

namespace still {

// "YYYY-MM-DD hh:mm:ss" or "YYYY-MM-DD hh:mm:ss.mmm" as milliseconds since
// 1970; false for anything else.
bool ParseStillTime(const std::string& text, int64_t& ms);

// The picture of the index on show at `ms`: the first whose capture time is
// at or before it and whose next picture's is after it (the last picture
// shows for one picture interval). -1 when there is none.
int64_t PictureAt(const am4export::RecordingIndex& index, int64_t ms);

}  // namespace still
