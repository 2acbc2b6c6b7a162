#include "signing.h"

#include <windows.h>
// windows.h first: these use its types.
#include <bcrypt.h>
#include <shlobj.h>
#include <wincrypt.h>

#include <cstring>
#include <vector>

#include "export_files.h"

namespace am4export {
namespace {

constexpr DWORD kMaxKeyFileBytes = 4096;  // a protected 104-byte blob is a few hundred
const wchar_t kKeyFolder[] = L"\\am4export";
const wchar_t kKeyFile[] = L"\\signing_key.dpapi";

// A CNG key of the P-256 ECDSA provider, closed with it.
class CngKey {
 public:
  CngKey() {
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&algorithm_, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0)))
      algorithm_ = nullptr;
  }
  CngKey(const CngKey&) = delete;
  CngKey& operator=(const CngKey&) = delete;
  ~CngKey() {
    if (key_) BCryptDestroyKey(key_);
    if (algorithm_) BCryptCloseAlgorithmProvider(algorithm_, 0);
  }
  bool Generate() {
    return algorithm_ && BCRYPT_SUCCESS(BCryptGenerateKeyPair(algorithm_, &key_, 256, 0)) &&
           BCRYPT_SUCCESS(BCryptFinalizeKeyPair(key_, 0));
  }
  bool Import(const wchar_t* type, const std::string& blob) {
    return algorithm_ && BCRYPT_SUCCESS(BCryptImportKeyPair(algorithm_, nullptr, type, &key_,
                                                            reinterpret_cast<PUCHAR>(const_cast<char*>(blob.data())),
                                                            static_cast<ULONG>(blob.size()), 0));
  }
  bool Export(const wchar_t* type, std::string& blob) const {
    ULONG size = 0;
    if (!key_ || !BCRYPT_SUCCESS(BCryptExportKey(key_, nullptr, type, nullptr, 0, &size, 0))) return false;
    blob.resize(size);
    return BCRYPT_SUCCESS(
        BCryptExportKey(key_, nullptr, type, reinterpret_cast<PUCHAR>(blob.data()), size, &size, 0));
  }
  BCRYPT_KEY_HANDLE Get() const { return key_; }

 private:
  BCRYPT_ALG_HANDLE algorithm_ = nullptr;
  BCRYPT_KEY_HANDLE key_ = nullptr;
};

// The public point of a private or public P-256 blob: X and Y behind the header.
bool PointOf(const std::string& blob, PointBytes& point) {
  BCRYPT_ECCKEY_BLOB header;
  if (blob.size() < sizeof header + point.size()) return false;
  std::memcpy(&header, blob.data(), sizeof header);
  if (header.cbKey != 32) return false;
  std::memcpy(point.data(), blob.data() + sizeof header, point.size());
  return true;
}

std::wstring KeyFolder() {
  wchar_t base[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, base))) return {};
  return std::wstring(base) + kKeyFolder;
}

bool Protect(const std::string& plain, std::string& sealed, bool seal) {
  DATA_BLOB in{static_cast<DWORD>(plain.size()), reinterpret_cast<BYTE*>(const_cast<char*>(plain.data()))}, out{};
  const BOOL ok = seal ? CryptProtectData(&in, L"am4export signing key", nullptr, nullptr, nullptr,
                                          CRYPTPROTECT_UI_FORBIDDEN, &out)
                       : CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out);
  if (!ok) return false;
  sealed.assign(reinterpret_cast<const char*>(out.pbData), out.cbData);
  SecureZeroMemory(out.pbData, out.cbData);
  LocalFree(out.pbData);
  return true;
}

bool ReadKeyFile(const std::wstring& path, std::string& data) {
  return ReadBoundedFile(path, kMaxKeyFileBytes, data) && !data.empty();
}

}  // namespace

SigningKey::~SigningKey() { SecureZeroMemory(private_blob_.data(), private_blob_.size()); }

bool SigningKey::Open() {
  const std::wstring folder = KeyFolder();
  if (folder.empty()) return false;
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring path = folder + kKeyFile;
  std::string sealed;
  if (!ReadKeyFile(path, sealed)) {
    CngKey key;
    std::string blob;
    if (!key.Generate() || !key.Export(BCRYPT_ECCPRIVATE_BLOB, blob) || !Protect(blob, sealed, true)) return false;
    SecureZeroMemory(blob.data(), blob.size());
    // Another process may have stored its key first: that key then stands.
    if (!WriteNewFile(path, sealed) && !ReadKeyFile(path, sealed)) return false;
  }
  CngKey check;
  if (!Protect(sealed, private_blob_, false) || !PointOf(private_blob_, point_) ||
      !check.Import(BCRYPT_ECCPRIVATE_BLOB, private_blob_)) {
    private_blob_.clear();
    return false;
  }
  return true;
}

bool SigningKey::Sign(const Digest& digest, SignatureBytes& signature) const {
  CngKey key;
  ULONG size = 0;
  return !private_blob_.empty() && key.Import(BCRYPT_ECCPRIVATE_BLOB, private_blob_) &&
         BCRYPT_SUCCESS(BCryptSignHash(key.Get(), nullptr, const_cast<PUCHAR>(digest.data()),
                                       static_cast<ULONG>(digest.size()), signature.data(),
                                       static_cast<ULONG>(signature.size()), &size, 0)) &&
         size == signature.size();
}

bool VerifySignature(const PointBytes& point, const Digest& digest, const SignatureBytes& signature) {
  BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
  std::string blob(reinterpret_cast<const char*>(&header), sizeof header);
  blob.append(reinterpret_cast<const char*>(point.data()), point.size());
  CngKey key;
  return key.Import(BCRYPT_ECCPUBLIC_BLOB, blob) &&
         BCRYPT_SUCCESS(BCryptVerifySignature(key.Get(), nullptr, const_cast<PUCHAR>(digest.data()),
                                              static_cast<ULONG>(digest.size()),
                                              const_cast<PUCHAR>(signature.data()),
                                              static_cast<ULONG>(signature.size()), 0));
}

}  // namespace am4export
