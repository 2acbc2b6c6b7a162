// A backup file indexed as an export indexes it, and the committed
// fixtures, whole or with damage done to their segments.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "backup_walk.h"
#include "export_movie.h"

namespace am4export::testfixture {

using testsupport::Bytes;

struct Recording {
  explicit Recording(Bytes data) : bytes(std::move(data)) {
    backup::MemorySource source(bytes.data(), static_cast<uint32_t>(bytes.size()));
    probed = backup::ProbeSource(source, info);
    index = IndexRecording(source, info);
  }
  ExportPlan Plan(GroupRange range) const { return PlanExport(index, range); }
  GroupRange All() const { return {0, static_cast<uint32_t>(index.group_starts.size())}; }

  Bytes bytes;
  bool probed = false;
  backup::RecordingInfo info;
  RecordingIndex index;
};

inline Bytes Fixture(const char* name) { return testsupport::ReadWholeFile(std::string(FIXTURE_DIR) + "/" + name); }

// A fixture with `damage` done to the bytes of its segments.
inline Bytes Damaged(const char* name,
                     const std::function<void(Bytes&, const std::vector<testsupport::WalkedSegment>&)>& damage) {
  Bytes file = Fixture(name);
  damage(file, testsupport::WalkSegments(file));
  return file;
}

}  // namespace am4export::testfixture
