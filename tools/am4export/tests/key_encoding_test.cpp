// Against a key and a signature that openssl made.
#include "key_encoding.h"

#include <gtest/gtest.h>

namespace am4export {
namespace {

const std::string kPem =
    "-----BEGIN PUBLIC KEY-----\n"
    "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEzJh8tef6y2/OTslCuYNqm1ERPA+0\n"
    "bfVtlP6ODS/o9Dq3tjDtwWABXnP3kHyEXnKnP+U9Y/V0LUqpgZQ4iqI+3g==\n"
    "-----END PUBLIC KEY-----\n";
const char kPoint[] =
    "cc987cb5e7facb6fce4ec942b9836a9b51113c0fb46df56d94fe8e0d2fe8f43a"
    "b7b630edc160015e73f7907c845e72a73fe53d63f5742d4aa98194388aa23ede";
const char kSignatureDer[] =
    "3045022043f8d5744f4527c6a1a36a797936967490a2dbbbf45bd9770660974cbd16cc84022100e408d1d8163d23e95986fddd0b7eb308c9"
    "a233798fd88772a4ee8dd489072bc0";
const char kSignature[] =
    "43f8d5744f4527c6a1a36a797936967490a2dbbbf45bd9770660974cbd16cc84"
    "e408d1d8163d23e95986fddd0b7eb308c9a233798fd88772a4ee8dd489072bc0";

std::vector<uint8_t> FromHex(const char* hex) {
  std::vector<uint8_t> out;
  for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) out.push_back(static_cast<uint8_t>(std::stoi(std::string(hex + i, 2), nullptr, 16)));
  return out;
}

template <size_t N>
std::array<uint8_t, N> Array(const char* hex) {
  std::array<uint8_t, N> a{};
  const auto bytes = FromHex(hex);
  std::copy(bytes.begin(), bytes.end(), a.begin());
  return a;
}

TEST(KeyEncoding, ThePublicKeyReadsAndWritesAsOpensslDoes) {
  PointBytes point{};
  ASSERT_TRUE(PublicKeyFromPem(kPem, point));
  EXPECT_EQ(point, Array<64>(kPoint));
  EXPECT_EQ(PublicKeyPem(point), kPem);
  EXPECT_EQ(PublicKeyDer(point).size(), 91u);
}

TEST(KeyEncoding, AnythingButOneP256PublicKeyIsRefused) {
  PointBytes point{};
  const std::string body = kPem.substr(27, kPem.size() - 27 - 25);
  const std::string cases[] = {
      "",
      "junk" + kPem,
      "-----BEGIN PUBLIC KEY-----\n" + body,                                   // no end line
      "-----BEGIN PUBLIC KEY-----\n" + body.substr(4) + "-----END PUBLIC KEY-----\n",  // cut
      "-----BEGIN PUBLIC KEY-----\n" + body.substr(0, 10) + "!" + body.substr(11) + "-----END PUBLIC KEY-----\n",
      "-----BEGIN PUBLIC KEY-----\nMFkwEwYHKoZIzj0CAQYIKoZIzj0DAQY=\n-----END PUBLIC KEY-----\n",  // another curve's prefix
  };
  for (const std::string& pem : cases) EXPECT_FALSE(PublicKeyFromPem(pem, point)) << pem;
}

TEST(KeyEncoding, SignaturesConvertBothWaysWithMinimalIntegers) {
  SignatureBytes rs{};
  ASSERT_TRUE(SignatureFromDer(FromHex(kSignatureDer), rs));
  EXPECT_EQ(rs, Array<64>(kSignature));
  EXPECT_EQ(SignatureDer(rs), FromHex(kSignatureDer));

  // r with two leading zero bytes and a high bit after them, s small.
  SignatureBytes small{};
  small[2] = 0x80;
  small[63] = 5;
  const std::vector<uint8_t> der = SignatureDer(small);
  EXPECT_EQ(der[1], der.size() - 2);
  EXPECT_EQ(std::vector<uint8_t>(der.begin() + 2, der.begin() + 5), (std::vector<uint8_t>{0x02, 31, 0x00}));
  EXPECT_EQ(std::vector<uint8_t>(der.end() - 3, der.end()), (std::vector<uint8_t>{0x02, 1, 5}));
  SignatureBytes back{};
  ASSERT_TRUE(SignatureFromDer(der, back));
  EXPECT_EQ(back, small);
}

TEST(KeyEncoding, MalformedSignaturesAreRefused) {
  const std::vector<uint8_t> good = FromHex(kSignatureDer);
  std::vector<std::vector<uint8_t>> cases;
  cases.push_back({});
  cases.push_back(std::vector<uint8_t>(good.begin(), good.end() - 1));  // cut
  auto extra = good;
  extra.push_back(0);  // trailing byte
  cases.push_back(extra);
  auto negative = good;
  negative[4] = 0x80;  // r with its high bit set: negative
  cases.push_back(negative);
  cases.push_back(FromHex("300702020001020105"));  // r not minimal
  cases.push_back(FromHex("3009020101020101020101"));  // three integers
  SignatureBytes rs{};
  for (const auto& der : cases) EXPECT_FALSE(SignatureFromDer(der, rs)) << der.size();
}

}  // namespace
}  // namespace am4export
