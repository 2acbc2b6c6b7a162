// What the two simulators share: Winsock start, a listener on 127.0.0.1,
// the port written for whoever started them, a flushed log, and options.
#pragma once
#include <winsock2.h>

#include <cstdio>
#include <string>
#include <vector>

namespace sim {

struct Options {
  std::vector<std::string> args;
  // The value after `name` (the last one given), or `fallback`.
  std::string Value(const char* name, const std::string& fallback = "") const;
  std::vector<std::string> Values(const char* name) const;
};
Options ReadOptions(int argc, char** argv);

// Listens on 127.0.0.1 at `port` (0: any free one) with a backlog;
// INVALID_SOCKET on failure. The bound port goes to *bound.
SOCKET Listen(int port, int backlog, int* bound);
// Writes the port into a file (written whole, then renamed into place).
bool WritePortFile(const std::string& path, int port);

// One line a call, flushed at once, so a test can read it while we run.
class Log {
 public:
  explicit Log(const std::string& path);
  ~Log();
  void Line(const std::string& text);

 private:
  FILE* file_ = nullptr;
};

bool SendAll(SOCKET s, const void* data, size_t size);

}  // namespace sim
