#include "win32/text_codec.h"

namespace win32 {

namespace {

// Both passes of WideCharToMultiByte: the length, then the bytes. `units` -1
// converts up to the terminating zero, which the result leaves out.
std::string Narrow(UINT code_page, DWORD flags, const wchar_t* text, int units, const char* missing) {
  const int n = WideCharToMultiByte(code_page, flags, text, units, nullptr, 0, missing, nullptr);
  if (n <= 0) return {};
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(code_page, flags, text, units, out.data(), n, missing, nullptr);
  if (units < 0) out.pop_back();
  return out;
}

}  // namespace

std::string ToAnsi(std::wstring_view text, const AnsiPolicy& policy) {
  if (text.empty()) return {};
  return Narrow(CP_ACP, policy.flags, text.data(), int(text.size()), policy.missing);
}

std::string ToAnsi(std::u16string_view text, const AnsiPolicy& policy) {
  return ToAnsi(std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size()), policy);
}

std::wstring FromAnsi(const char* text) {
  if (!text) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring out(size_t(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), n);
  out.pop_back();
  return out;
}

std::string ToUtf8(std::wstring_view text) {
  if (text.empty()) return {};
  return Narrow(CP_UTF8, 0, text.data(), int(text.size()), nullptr);
}

std::string ToUtf8(const wchar_t* text) { return text ? Narrow(CP_UTF8, 0, text, -1, nullptr) : std::string(); }

}  // namespace win32
