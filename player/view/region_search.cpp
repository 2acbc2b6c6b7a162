#include "region_search.h"

#include "player_messages.h"

namespace view {
namespace {

// Tells the window, never touching it but by posting.
class Poster : public am4search::SearchListener {
 public:
  Poster(const std::atomic<bool>& stop, std::mutex& lock, std::vector<am4search::FoundInterval>& found, HWND window,
         WPARAM number)
      : stop_(stop), lock_(lock), found_(found), window_(window), number_(number) {}

  bool KeepGoing() override { return !stop_.load(); }
  void Progress(int permille) override { PostMessageW(window_, UM_SEARCH_PROGRESS, number_, permille); }
  void Found(const am4search::FoundInterval& interval) override {
    {
      std::lock_guard<std::mutex> hold(lock_);
      found_.push_back(interval);
    }
    PostMessageW(window_, UM_SEARCH_FOUND, number_, 0);
  }

 private:
  const std::atomic<bool>& stop_;
  std::mutex& lock_;
  std::vector<am4search::FoundInterval>& found_;
  const HWND window_;
  const WPARAM number_;
};

}  // namespace

void RegionSearch::Start(const std::wstring& path, int camera, const search::Region& region, HWND window) {
  Stop();
  stop_.store(false);
  am4search::SearchRequest request;
  request.source = path;
  request.watch.camera = camera;
  request.watch.region = region;
  thread_ = std::thread(&RegionSearch::Run, this, std::move(request), window, WPARAM(++number_));
}

void RegionSearch::Run(am4search::SearchRequest request, HWND window, WPARAM number) {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);  // playback's workers come first
  Poster poster(stop_, lock_, found_, window, number);
  am4search::SearchRecording(request, poster);
}

void RegionSearch::Stop() {
  stop_.store(true);
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> hold(lock_);
  found_.clear();
}

bool RegionSearch::Take(WPARAM number, std::vector<am4search::FoundInterval>& found) const {
  if (!IsLatest(number)) return false;
  std::lock_guard<std::mutex> hold(lock_);
  found = found_;
  return true;
}

}  // namespace view
