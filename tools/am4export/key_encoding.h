// The forms in which an ECDSA P-256 public key and signature leave the
// program, so that common tools read them: the key as a PEM
// SubjectPublicKeyInfo ("-----BEGIN PUBLIC KEY-----"), the signature as
// DER (a SEQUENCE of the two INTEGERs r and s).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace am4export {

using PointBytes = std::array<uint8_t, 64>;      // X then Y, big-endian
using SignatureBytes = std::array<uint8_t, 64>;  // r then s, big-endian

std::vector<uint8_t> PublicKeyDer(const PointBytes& point);
std::string PublicKeyPem(const PointBytes& point);
// False unless the text is one PEM public key of a P-256 point.
bool PublicKeyFromPem(const std::string& pem, PointBytes& point);

std::vector<uint8_t> SignatureDer(const SignatureBytes& signature);
// False unless the bytes are exactly one such DER signature.
bool SignatureFromDer(const std::vector<uint8_t>& der, SignatureBytes& signature);

}  // namespace am4export
