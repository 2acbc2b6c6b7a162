#include "key_encoding.h"

#include <algorithm>
#include <cstring>

namespace am4export {
namespace {

// SEQUENCE { SEQUENCE { id-ecPublicKey, prime256v1 }, BIT STRING { 04 X Y } }, up to X.
const uint8_t kKeyInfoPrefix[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x02, 0x01, 0x06,
                                  0x08, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};
const char kBegin[] = "-----BEGIN PUBLIC KEY-----\n";
const char kEnd[] = "-----END PUBLIC KEY-----\n";
const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64Lines(const std::vector<uint8_t>& data) {
  std::string out;
  for (size_t i = 0; i < data.size(); i += 3) {
    const uint32_t n = data[i] << 16 | (i + 1 < data.size() ? data[i + 1] << 8 : 0) |
                       (i + 2 < data.size() ? data[i + 2] : 0);
    for (int k = 0; k < 4; ++k) out += k <= static_cast<int>(data.size() - i) ? kBase64[n >> (18 - 6 * k) & 63] : '=';
    if (out.size() % 65 == 64) out += '\n';
  }
  if (!out.empty() && out.back() != '\n') out += '\n';
  return out;
}

bool FromBase64(const std::string& text, std::vector<uint8_t>& out) {
  uint32_t bits = 0;
  int count = 0;
  size_t padding = 0;
  for (char c : text) {
    if (c == '\n' || c == '\r') continue;
    if (c == '=') {
      ++padding;
      continue;
    }
    const char* at = std::strchr(kBase64, c);
    if (!at || !c || padding) return false;
    bits = bits << 6 | static_cast<uint32_t>(at - kBase64);
    if (++count == 4) {
      out.insert(out.end(), {uint8_t(bits >> 16), uint8_t(bits >> 8), uint8_t(bits)});
      bits = 0, count = 0;
    }
  }
  if (count == 2 && padding == 2) {
    out.push_back(static_cast<uint8_t>(bits >> 4));
  } else if (count == 3 && padding == 1) {
    out.insert(out.end(), {uint8_t(bits >> 10), uint8_t(bits >> 2)});
  } else if (count != 0 || padding != 0) {
    return false;
  }
  return true;
}

// A DER INTEGER of a 32-byte unsigned big-endian number.
void AppendInteger(std::vector<uint8_t>& out, const uint8_t* n) {
  size_t skip = 0;
  while (skip < 31 && n[skip] == 0) ++skip;
  const bool pad = n[skip] & 0x80;  // keep it positive
  out.push_back(0x02);
  out.push_back(static_cast<uint8_t>(32 - skip + pad));
  if (pad) out.push_back(0);
  out.insert(out.end(), n + skip, n + 32);
}

// Reads a DER INTEGER at `at` into 32 bytes; false unless it is a minimal
// positive number that fits.
bool ReadInteger(const std::vector<uint8_t>& der, size_t& at, uint8_t* n) {
  if (at + 2 > der.size() || der[at] != 0x02) return false;
  const size_t length = der[at + 1];
  const uint8_t* p = der.data() + at + 2;
  if (length == 0 || length > 33 || at + 2 + length > der.size() || (p[0] & 0x80)) return false;
  if (length > 1 && p[0] == 0 && !(p[1] & 0x80)) return false;  // not minimal
  const size_t skip = length == 33 ? 1 : 0;
  if (skip && p[0] != 0) return false;
  std::memset(n, 0, 32);
  std::memcpy(n + 32 - (length - skip), p + skip, length - skip);
  at += 2 + length;
  return true;
}

}  // namespace

std::vector<uint8_t> PublicKeyDer(const PointBytes& point) {
  std::vector<uint8_t> der(std::begin(kKeyInfoPrefix), std::end(kKeyInfoPrefix));
  der.insert(der.end(), point.begin(), point.end());
  return der;
}

std::string PublicKeyPem(const PointBytes& point) { return kBegin + Base64Lines(PublicKeyDer(point)) + kEnd; }

bool PublicKeyFromPem(const std::string& pem, PointBytes& point) {
  const size_t begin = pem.find(kBegin), end = pem.find("-----END PUBLIC KEY-----");
  if (begin != 0 || end == std::string::npos || end < sizeof kBegin - 1) return false;
  std::vector<uint8_t> der;
  if (!FromBase64(pem.substr(sizeof kBegin - 1, end - (sizeof kBegin - 1)), der) ||
      der.size() != sizeof kKeyInfoPrefix + point.size() ||
      !std::equal(std::begin(kKeyInfoPrefix), std::end(kKeyInfoPrefix), der.begin()))
    return false;
  std::copy(der.begin() + sizeof kKeyInfoPrefix, der.end(), point.begin());
  return true;
}

std::vector<uint8_t> SignatureDer(const SignatureBytes& signature) {
  std::vector<uint8_t> body;
  AppendInteger(body, signature.data());
  AppendInteger(body, signature.data() + 32);
  std::vector<uint8_t> der = {0x30, static_cast<uint8_t>(body.size())};
  der.insert(der.end(), body.begin(), body.end());
  return der;
}

bool SignatureFromDer(const std::vector<uint8_t>& der, SignatureBytes& signature) {
  if (der.size() < 2 || der[0] != 0x30 || der[1] != der.size() - 2) return false;
  size_t at = 2;
  return ReadInteger(der, at, signature.data()) && ReadInteger(der, at, signature.data() + 32) && at == der.size();
}

}  // namespace am4export
