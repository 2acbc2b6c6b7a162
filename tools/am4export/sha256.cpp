#include "sha256.h"

namespace am4export {
namespace {

// The provider and the size of a hash's state, opened once for the process
// (a hash a picture would otherwise open one each) and never closed.
struct Provider {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  DWORD object_length = 0;
};

const Provider& Sha256Provider() {
  static const Provider provider = [] {
    Provider p;
    DWORD got = 0;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&p.algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) ||
        !BCRYPT_SUCCESS(BCryptGetProperty(p.algorithm, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&p.object_length),
                                          sizeof p.object_length, &got, 0)))
      p.algorithm = nullptr;
    return p;
  }();
  return provider;
}

}  // namespace

Sha256::Sha256() {
  const Provider& provider = Sha256Provider();
  if (!provider.algorithm) return;
  object_.resize(provider.object_length);
  ok_ = BCRYPT_SUCCESS(
      BCryptCreateHash(provider.algorithm, &hash_, object_.data(), provider.object_length, nullptr, 0, 0));
  if (!ok_) hash_ = nullptr;
}

Sha256::~Sha256() {
  if (hash_) BCryptDestroyHash(hash_);
}

bool Sha256::Add(const void* data, size_t length) {
  const auto* p = static_cast<const UCHAR*>(data);
  while (ok_ && length > 0) {
    const ULONG n = length > (1u << 30) ? 1u << 30 : static_cast<ULONG>(length);
    ok_ = BCRYPT_SUCCESS(BCryptHashData(hash_, const_cast<PUCHAR>(p), n, 0));
    p += n;
    length -= n;
  }
  return ok_;
}

bool Sha256::Finish(Digest& digest) {
  const bool done = ok_ && BCRYPT_SUCCESS(BCryptFinishHash(hash_, digest.data(), digest.size(), 0));
  ok_ = false;
  return done;
}

std::string Sha256::Finish() {
  Digest digest;
  return Finish(digest) ? Hex(digest) : std::string();
}

std::string Sha256::Of(const std::string& bytes) {
  Sha256 hash;
  hash.Add(bytes.data(), bytes.size());
  return hash.Finish();
}

std::string Sha256::Hex(const Digest& digest) {
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t b : digest) hex += kHex[b >> 4], hex += kHex[b & 15];
  return hex;
}

}  // namespace am4export
