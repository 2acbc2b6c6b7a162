#include "region_watch.h"

namespace am4search {

int RegionWatch::Share(const engine::PictureEntry& p) {
  const int width = p.bitmap_info.header.width, height = -p.bitmap_info.header.height;
  if (!refusal_.empty() || !p.pixels || width < 4 || height < 4 || uint64_t{3} * width * height > engine::kPictureBytes)
    return -1;
  const search::Region camera = search::CameraQuarter(settings_.camera, width, height);
  if ((!detector_ || camera.width != camera_.width || camera.height != camera_.height) && !Start(camera)) return -1;
  search::HalfLumaOfBgr(p.pixels, width * 3, camera.x, camera.y, camera.width, camera.height, luma_);
  const int half_width = detector_->Width();
  return search::MovedShare(region_blocks_, detector_->Update({luma_.data(), half_width, detector_->Height(), half_width}));
}

// A detector for the camera's pictures at this size, at half of it.
bool RegionWatch::Start(const search::Region& camera) {
  const search::Region region = settings_.region.value_or(search::Region{0, 0, camera.width, camera.height});
  if (region.x + region.width > camera.width || region.y + region.height > camera.height) {
    refusal_ = "the region lies outside camera " + std::to_string(settings_.camera) + "'s " +
               std::to_string(camera.width) + " x " + std::to_string(camera.height) + " picture";
    return false;
  }
  camera_ = camera;
  detector_ = std::make_unique<search::MotionDetector>(camera.width / 2, camera.height / 2, settings_.sensitivity);
  region_blocks_ = search::RegionBlocks(search::HalfRegion(region), detector_->BlocksAcross(), detector_->BlocksDown());
  return true;
}

}  // namespace am4search
