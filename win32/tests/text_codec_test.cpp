// What each conversion policy makes of characters the ANSI code page holds,
// lacks, or holds only as a look-alike; UTF-8 with and without a length.
#include "win32/text_codec.h"

#include <gtest/gtest.h>

namespace {

class AnsiPolicies : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 1252u) << "the cases are written for the Western code page";
    CPINFOEXW cp{};
    GetCPInfoExW(CP_ACP, 0, &cp);
    codePageDefault_ = std::string(1, char(cp.DefaultChar[0]));
  }
  std::string codePageDefault_;
};

TEST_F(AnsiPolicies, TreatCharactersOutsideTheCodePageEachInItsOwnWay) {
  struct Case {
    const wchar_t* text;
    const char* exact;      // kAnsiExact; "?" stands for the code page's default character
    const char* exactHash;  // kAnsiExactHash
    const char* display;    // kAnsiDisplay
  };
  const Case cases[] = {
      {L"plain 09", "plain 09", "plain 09", "plain 09"},
      {L"caf\u00e9", "caf\xe9", "caf\xe9", "caf\xe9"},                 // in the code page
      {L"\u0100b\u0142", "?b?", "#b#", "Abl"},                       // look-alikes only for display
      {L"x\u4e00y", "x?y", "x#y", "x#y"},                            // no look-alike at all
  };
  for (const Case& c : cases) {
    std::string exact = c.exact;
    for (char& ch : exact)
      if (ch == '?') ch = codePageDefault_[0];
    EXPECT_EQ(win32::ToAnsi(std::wstring_view(c.text), win32::kAnsiExact), exact) << c.exact;
    EXPECT_EQ(win32::ToAnsi(std::wstring_view(c.text), win32::kAnsiExactHash), c.exactHash) << c.exactHash;
    EXPECT_EQ(win32::ToAnsi(std::wstring_view(c.text), win32::kAnsiDisplay), c.display) << c.display;
  }
}

TEST_F(AnsiPolicies, TakeSixteenBitTextAndEmptyText) {
  EXPECT_EQ(win32::ToAnsi(std::u16string_view(u"\u0100b"), win32::kAnsiExactHash), "#b");
  EXPECT_EQ(win32::ToAnsi(std::u16string_view(), win32::kAnsiExact), "");
  EXPECT_EQ(win32::ToAnsi(std::wstring_view(), win32::kAnsiDisplay), "");
}

TEST_F(AnsiPolicies, FromAnsiReadsUpToTheFirstZero) {
  EXPECT_EQ(win32::FromAnsi("caf\xe9"), L"caf\u00e9");
  EXPECT_EQ(win32::FromAnsi("ab\0cd"), L"ab");
  EXPECT_EQ(win32::FromAnsi(""), L"");
  EXPECT_EQ(win32::FromAnsi(nullptr), L"");
}

TEST(Utf8, CountedTextKeepsZerosAndZeroTerminatedTextStopsAtTheFirst) {
  const wchar_t text[] = L"a\u00e9\0\U0001F600";
  EXPECT_EQ(win32::ToUtf8(std::wstring_view(text, 5)), std::string("a\xc3\xa9\0\xf0\x9f\x98\x80", 8));
  EXPECT_EQ(win32::ToUtf8(text), "a\xc3\xa9");
  EXPECT_EQ(win32::ToUtf8(static_cast<const wchar_t*>(nullptr)), "");
  EXPECT_EQ(win32::ToUtf8(std::wstring_view()), "");
}

}  // namespace
