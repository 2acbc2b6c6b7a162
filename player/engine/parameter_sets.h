// The parameter sets of the segment read last: replaced by the data-load
// worker after each header, copied in front of key frames by the decode
// stage. The lock is held only for the copies.
#pragma once
#include <mutex>

#include "backup_format.h"

namespace engine {

class SharedParameterSets {
 public:
  // The sets of a header sector; false (and the sets unchanged) when it has none.
  bool Scan(const uint8_t* sector) {
    backup::ParameterSetStore fresh;
    if (backup::ScanParameterArea(sector, fresh) == 0) return false;
    Set(fresh);
    return true;
  }
  void Set(const backup::ParameterSetStore& sets) {
    std::lock_guard<std::mutex> hold(lock_);
    sets_ = sets;
  }
  // Runs fn on the sets while no reader replaces them.
  template <class Fn>
  auto With(Fn&& fn) {
    std::lock_guard<std::mutex> hold(lock_);
    return fn(static_cast<const backup::ParameterSetStore&>(sets_));
  }

 private:
  std::mutex lock_;
  backup::ParameterSetStore sets_;
};

}  // namespace engine
