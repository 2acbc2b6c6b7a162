#include "qbox_job.h"

#include <cstring>

#include "trace.h"

namespace engine {

uint32_t RunQBoxJob(QBoxJob& job, const backup::ParameterSetStore& store, bool key) {
  if (job.size != sizeof(QBoxJob)) Trace(" >>>>> Invalid QBox Info ");
  job.video_length = job.audio_length = 0;
  while (job.remaining >= backup::kBoxHeaderSize) {
    const uint8_t* box = job.input;
    const uint32_t size = backup::BigEndian32(box);
    if (size < backup::kBoxHeaderSize || size > job.remaining || std::memcmp(box + 4, "qbox", 4) != 0 ||
        !(box[11] & 1))
      break;
    const uint16_t stream = static_cast<uint16_t>(box[12] << 8 | box[13]);
    if ((stream == 1 || stream == 6) && job.audio_output) {
      const uint32_t n = size - backup::kBoxHeaderSize;
      if (n > job.audio_capacity - job.audio_length) break;  // no room: stop rather than cut a frame
      std::memcpy(job.audio_output + job.audio_length, box + backup::kBoxHeaderSize, n);
      job.audio_length += n;
    } else if ((stream == 2 || stream == 5) && !job.audio_output) {
      job.video_length += backup::ConvertVideoFrame(box, size, key && job.video_length == 0, store,
                                                    job.video_output + job.video_length,
                                                    job.video_capacity - job.video_length);
    }
    job.input += size;
    job.remaining -= size;
  }
  return job.video_length;
}

}  // namespace engine
