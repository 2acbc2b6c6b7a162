// SHA-256 from the system's cryptography (CNG).
#pragma once
#include <windows.h>
// windows.h first: bcrypt.h uses its types.
#include <bcrypt.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace am4export {

using Digest = std::array<uint8_t, 32>;

class Sha256 {
 public:
  Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;
  ~Sha256();

  // False once anything failed, also the system's set-up.
  bool Add(const void* data, size_t length);
  // The digest; false when anything failed. Ends the hash.
  bool Finish(Digest& digest);
  // The same in lower-case hex; empty when anything failed.
  std::string Finish();
  static std::string Hex(const Digest& digest);
  // The hex digest of a text or byte string held whole; empty on failure.
  static std::string Of(const std::string& bytes);

 private:
  BCRYPT_HASH_HANDLE hash_ = nullptr;
  std::vector<UCHAR> object_;  // the hash's state, owned by us as Windows 7 wants
  bool ok_ = false;
};

}  // namespace am4export
