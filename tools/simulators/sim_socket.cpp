#include "sim_socket.h"

#include <ws2tcpip.h>

#include <cstring>

namespace sim {

std::string Options::Value(const char* name, const std::string& fallback) const {
  std::vector<std::string> all = Values(name);
  return all.empty() ? fallback : all.back();
}

std::vector<std::string> Options::Values(const char* name) const {
  std::vector<std::string> out;
  for (size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i] == name) out.push_back(args[++i]);
  return out;
}

Options ReadOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) o.args.push_back(argv[i]);
  return o;
}

SOCKET Listen(int port, int backlog, int* bound) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return s;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(u_short(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof(a);
  if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0 || listen(s, backlog) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&a), &size) != 0) {
    closesocket(s);
    return INVALID_SOCKET;
  }
  *bound = ntohs(a.sin_port);
  return s;
}

bool WritePortFile(const std::string& path, int port) {
  if (path.empty()) return true;
  const std::string temp = path + ".tmp";
  FILE* f = fopen(temp.c_str(), "wb");
  if (!f) return false;
  fprintf(f, "%d\n", port);
  fclose(f);
  return MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

Log::Log(const std::string& path) : file_(path.empty() ? nullptr : fopen(path.c_str(), "ab")) {}
Log::~Log() {
  if (file_) fclose(file_);
}
void Log::Line(const std::string& text) {
  if (!file_) return;
  fprintf(file_, "%s\n", text.c_str());
  fflush(file_);
}

bool SendAll(SOCKET s, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const int n = send(s, p, int(size), 0);
    if (n <= 0) return false;
    p += n;
    size -= size_t(n);
  }
  return true;
}

}  // namespace sim
