// The region of one camera's pictures, watched for motion picture by
// picture: the camera's quarter of each decoded picture, at half its size,
// through the motion detector. Portable.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "motion_detector.h"
#include "motion_intervals.h"
#include "picture_slots.h"

namespace am4search {

struct WatchSettings {
  int camera = 1;                        // 1-4: a quarter of the mosaic
  std::optional<search::Region> region;  // in the camera's pixels; default: all of them
  int sensitivity = search::kDefaultSensitivity;
};

class RegionWatch {
 public:
  explicit RegionWatch(const WatchSettings& settings) : settings_(settings) {}

  // The share of the region that moved; -1 when the picture cannot be
  // searched, and for good once the region is found to lie outside the
  // camera's picture.
  int Share(const engine::PictureEntry& p);

  void Restart() { detector_.reset(); }  // the next picture is the background
  const std::string& Refusal() const { return refusal_; }

 private:
  bool Start(const search::Region& camera);

  const WatchSettings settings_;
  search::Region camera_{};
  std::unique_ptr<search::MotionDetector> detector_;
  std::vector<int> region_blocks_;
  std::vector<uint8_t> luma_;
  std::string refusal_;
};

}  // namespace am4search
