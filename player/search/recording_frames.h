// Runs a backup file's recording through the decode path of playback: the
// segments in file order from the first header, their frames split and
// queued, the decode stage and the Framix decoder; the slots are shown and
// recycled as the display side would.
#pragma once
#include <cstdint>
#include <functional>

#include "picture_slots.h"
#include "recording.h"

namespace am4frames {

// Told of each stored picture in display order, numbered from 0.
using PictureSink = std::function<void(int index, const engine::PictureEntry& picture)>;
// What is decoded of a segment; frames left undecoded are counted as
// pictures all the same. Of key frames alone, each picture comes to the sink
// before the frames after it are counted.
enum class SegmentDecode { kAll, kKeyFrames, kNothing };
// Asked of each segment by the file offset of its header.
using SegmentFilter = std::function<SegmentDecode(uint32_t offset)>;

// Decodes the file, with the decoder set up for `format_code` when it is not
// negative, otherwise for the recording's own; of each segment what `wanted`
// says when it is given. False when the file is refused. `stop`, when
// given, is asked at every sector a header search passes and before every
// picture decoded (with its segment's offset): false ends the run.
bool DecodeRecording(const wchar_t* path, int64_t format_code, const PictureSink& sink,
                     const SegmentFilter& wanted = {}, backup::SearchObserver* stop = nullptr);

}  // namespace am4frames
