// Searches a camera's region of the open recording for motion on a thread
// of its own (recording_search.h), with a decoder of its own: the window's
// thread and playback never wait for it. It posts its progress and the
// intervals it finds to the window as UM_SEARCH_PROGRESS and
// UM_SEARCH_FOUND, each with the search's number.
#pragma once
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "recording_search.h"

namespace view {

class RegionSearch {
 public:
  RegionSearch() = default;
  RegionSearch(const RegionSearch&) = delete;
  RegionSearch& operator=(const RegionSearch&) = delete;
  ~RegionSearch() { Stop(); }

  // Starts on camera 1-4's region of `path`; a search still running is stopped first.
  void Start(const std::wstring& path, int camera, const search::Region& region, HWND window);
  // Stops a search and waits for its thread: its reads look at the stop
  // flag at every sector, so this waits no longer than the decode of one
  // segment. What it found is forgotten.
  void Stop();
  // On UM_SEARCH_FOUND: the intervals found so far, when `number` is the latest search's.
  bool Take(WPARAM number, std::vector<am4search::FoundInterval>& found) const;
  bool IsLatest(WPARAM number) const { return number == number_ && thread_.joinable(); }

 private:
  void Run(am4search::SearchRequest request, HWND window, WPARAM number);

  std::thread thread_;
  std::atomic<bool> stop_{false};
  unsigned number_ = 0;  // the window's thread
  mutable std::mutex lock_;
  std::vector<am4search::FoundInterval> found_;  // under lock_
};

}  // namespace view
