// Conversions between the system's wide text and byte text: UTF-8 and the
// system's ANSI code page. Each use of the ANSI code page has a named policy
// that says what becomes of a character the code page cannot hold.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace win32 {

struct AnsiPolicy {
  DWORD flags;               // WideCharToMultiByte flags
  const char* missing;       // stands for a character the code page lacks; null: the code page's own
};

// Files the system writes and reads back (the site list): no look-alikes; a
// missing character becomes the code page's default character.
inline constexpr AnsiPolicy kAnsiExact = {WC_NO_BEST_FIT_CHARS, nullptr};
// Texts sent to a recorder (login): no look-alikes; a missing character becomes "#".
inline constexpr AnsiPolicy kAnsiExactHash = {WC_NO_BEST_FIT_CHARS, "#"};
// Texts handed to a library that shows them (export captions, file names):
// composed characters joined, look-alikes allowed, "#" for the rest.
inline constexpr AnsiPolicy kAnsiDisplay = {WC_COMPOSITECHECK, "#"};

std::string ToAnsi(std::wstring_view text, const AnsiPolicy& policy);
std::string ToAnsi(std::u16string_view text, const AnsiPolicy& policy);
// A zero-terminated text in the ANSI code page; null gives an empty text.
std::wstring FromAnsi(const char* text);

// Counted text, zeros included.
std::string ToUtf8(std::wstring_view text);
// Up to the first zero; null gives an empty text.
std::string ToUtf8(const wchar_t* text);

}  // namespace win32
