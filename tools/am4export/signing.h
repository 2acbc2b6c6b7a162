// Signatures of exports with the user's own ECDSA P-256 key through CNG.
// The key pair is made once per user; its private half is kept in the
// user's local application data folder, protected for that user by DPAPI,
// so that every export the user makes carries the same public key.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "key_encoding.h"
#include "sha256.h"

namespace am4export {

class SigningKey {
 public:
  SigningKey() = default;
  SigningKey(const SigningKey&) = delete;
  SigningKey& operator=(const SigningKey&) = delete;
  ~SigningKey();
  // Loads the user's key, making and storing it the first time. False when
  // neither works (then nothing can be signed).
  bool Open();
  const PointBytes& Point() const { return point_; }
  bool Sign(const Digest& digest, SignatureBytes& signature) const;

 private:
  std::string private_blob_;  // BCRYPT_ECCPRIVATE_BLOB, while open
  PointBytes point_{};
};

// True when `signature` is the key's signature of `digest`.
bool VerifySignature(const PointBytes& point, const Digest& digest, const SignatureBytes& signature);

}  // namespace am4export
