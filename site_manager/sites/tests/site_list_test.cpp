// The site list file through the Windows profile functions: the exact bytes
// saved, what loading gives for hand-edited files, a count far beyond the
// sections, a file that cannot be created or replaced, and a file never seen
// cut while it is saved.
#include "site_list.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

namespace {

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

// A program folder of its own for each test, removed afterwards.
class SiteListFile : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    dir_ = std::wstring(temp) + L"site_list_test_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir_.c_str(), nullptr);
  }
  void TearDown() override {
    DeleteFileW(File().c_str());
    DeleteFileW((File() + L".new").c_str());
    RemoveDirectoryW((dir_ + L"\\CONFIG").c_str());
    DeleteFileW((dir_ + L"\\CONFIG").c_str());
    RemoveDirectoryW(dir_.c_str());
  }
  std::wstring File() const { return dir_ + L"\\CONFIG\\H264Site.ini"; }
  void WriteFile(const std::string& text) {
    CreateDirectoryW((dir_ + L"\\CONFIG").c_str(), nullptr);
    WriteBytes(File(), text);
  }
  SiteList Load() {
    SiteList list;
    LoadSiteListIn(dir_, list);
    return list;
  }
  std::wstring dir_;
};

SiteList OneSite(const char16_t* ip, const char16_t* pwd) {
  SiteList list;
  list.push_back(std::make_unique<SiteRecord>(NewSiteRecord()));
  SetSiteText(list[0]->ip, ip);
  SetSiteText(list[0]->pwd, pwd);
  SetSiteText(list[0]->location, u"Hall");
  list[0]->port = 50001;
  return list;
}

TEST_F(SiteListFile, EmptyListSavesTheCountAloneAndLoadsEmpty) {
  SiteList list;
  ASSERT_EQ(SaveSiteListIn(dir_, list), 0u);  // creates CONFIG too
  EXPECT_EQ(ReadBytes(File()), "[SETUP_INFO]\r\nNUMBER=1\r\n");
  EXPECT_TRUE(Load().empty());
}

TEST_F(SiteListFile, SavedBytesAreAnsiAndLoadBackWithoutTheLocationsBlanks) {
  // A snowman is in no ANSI code page: it is saved and read back as the
  // code page's default character.
  ASSERT_NE(GetACP(), unsigned(CP_UTF8));
  SiteList list = OneSite(u"10.0.0.1", u"p\u2603w");
  list.push_back(std::make_unique<SiteRecord>(NewSiteRecord()));  // no address
  ASSERT_EQ(SaveSiteListIn(dir_, list), 0u);

  CPINFOEXW cp{};
  GetCPInfoExW(CP_ACP, 0, &cp);
  std::string expected = "[SETUP_INFO]\r\nNUMBER=3\r\n"
                         "\r\n[DVR1]\r\nTYPE=0\r\nIP=10.0.0.1\r\nPORT=50001\r\nID=\r\nPWD=p" +
                         std::string(1, char(cp.DefaultChar[0])) +
                         "w\r\nDDNS_MEMBER=\r\nDDNS_NAME=\r\nLOCATION=Hall    \r\n"
                         "\r\n[DVR2]\r\nTYPE=0\r\nIP=INVALID IP\r\nPORT=0\r\nID=\r\nPWD=\r\n"
                         "DDNS_MEMBER=\r\nDDNS_NAME=\r\nLOCATION=    \r\n";
  EXPECT_EQ(ReadBytes(File()), expected);

  SiteList back = Load();
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(SiteText(back[0]->location), u"Hall");
  EXPECT_EQ(SiteText(back[0]->pwd), std::u16string(u"p") + char16_t(cp.DefaultChar[0]) + u"w");
  EXPECT_EQ(SiteText(back[1]->ip), u"INVALID IP");
  EXPECT_EQ(back[1]->size, kSiteRecordSize);
}

TEST_F(SiteListFile, HandEditedFileLoadsWithDefaultsAndSkipsSectionsWithoutAddress) {
  WriteFile("[SETUP_INFO]\r\nNUMBER=4\r\n"
            "[DVR1]\r\nIP=  192.168.1.5  \r\nID=admin\r\nLOCATION=Office    \r\n"  // no PORT, no TYPE
            "[DVR2]\r\nID=lost\r\nPORT=7000\r\n"                                     // no IP
            "[DVR3]\r\nTYPE=257\r\nIP=" + std::string(70, 'h') + "\r\nPORT=12ab\r\n"
            "DDNS_MEMBER=" + std::string(40, 'm') + "\r\nLOCATION=" + std::string(40, 'l') + "\r\n");
  SiteList list = Load();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(SiteText(list[0]->ip), u"192.168.1.5");
  EXPECT_EQ(list[0]->port, 50000);
  EXPECT_EQ(list[0]->type, 0);
  EXPECT_EQ(SiteText(list[0]->id), u"admin");
  EXPECT_EQ(SiteText(list[0]->location), u"Office");
  EXPECT_EQ(SiteText(list[1]->ip), std::u16string(59, u'h'));
  EXPECT_EQ(list[1]->type, 1);  // low 8 bits
  EXPECT_EQ(list[1]->port, 12);  // leading digits
  EXPECT_EQ(SiteText(list[1]->ddnsMember).size(), 29u);
  EXPECT_EQ(SiteText(list[1]->location).size(), 29u);

  // The next save renumbers the two sites.
  ASSERT_EQ(SaveSiteListIn(dir_, list), 0u);
  std::string saved = ReadBytes(File());
  EXPECT_EQ(saved.rfind("[SETUP_INFO]\r\nNUMBER=3\r\n\r\n[DVR1]\r\n", 0), 0u);
  EXPECT_NE(saved.find("\r\n\r\n[DVR2]\r\nTYPE=1\r\nIP=hhh"), std::string::npos);
  EXPECT_EQ(saved.find("[DVR3]"), std::string::npos);
}

TEST_F(SiteListFile, CountDecidesWhatIsRead) {
  const std::string site = "[DVR1]\r\nIP=1.2.3.4\r\n[DVR2]\r\nIP=5.6.7.8\r\n";
  struct Case {
    std::string setup;
    size_t sites;
  } cases[] = {
      {"", 0},                                  // no SETUP_INFO
      {"[SETUP_INFO]\r\nNUMBER=0\r\n", 0},
      {"[SETUP_INFO]\r\nNUMBER=-2\r\n", 0},
      {"[SETUP_INFO]\r\nNUMBER=1\r\n", 1},      // a stray DVR1 is still read
      {"[SETUP_INFO]\r\nNUMBER=2\r\n", 2},
  };
  for (const Case& c : cases) {
    WriteFile(c.setup + site);
    EXPECT_EQ(Load().size(), c.sites) << c.setup;
  }
  DeleteFileW(File().c_str());
  EXPECT_TRUE(Load().empty());  // no file
}

TEST_F(SiteListFile, FirstSiteIsDvr1WithoutItsLocation) {
  SiteRecord site = NewSiteRecord();
  site.port = 99;
  EXPECT_FALSE(ReadFirstSiteIn(dir_, site));  // no file: untouched
  EXPECT_EQ(site.port, 99);

  WriteFile("[SETUP_INFO]\r\nNUMBER=2\r\n[DVR1]\r\nID=x\r\n[DVR2]\r\nIP=2.2.2.2\r\n");
  EXPECT_FALSE(ReadFirstSiteIn(dir_, site));  // DVR1 has no address: only DVR1 counts
  EXPECT_EQ(site.port, 99);

  WriteFile("[SETUP_INFO]\r\nNUMBER=2\r\n[DVR1]\r\nIP=1.1.1.1\r\nID=admin\r\nPWD=pw\r\nTYPE=1\r\n"
            "DDNS_NAME=dev\r\nLOCATION=Yard\r\n");
  ASSERT_TRUE(ReadFirstSiteIn(dir_, site));
  EXPECT_EQ(site.size, kSiteRecordSize);
  EXPECT_EQ(SiteText(site.ip), u"1.1.1.1");
  EXPECT_EQ(SiteText(site.id), u"admin");
  EXPECT_EQ(SiteText(site.pwd), u"pw");
  EXPECT_EQ(SiteText(site.ddnsName), u"dev");
  EXPECT_EQ(site.type, 1);
  EXPECT_EQ(site.port, 50000);
  EXPECT_EQ(SiteText(site.location), u"");
}

TEST_F(SiteListFile, FileThatCannotBeCreatedLeavesTheListAsItWas) {
  WriteBytes(dir_ + L"\\CONFIG", "a file where the folder should be");
  SiteList list = OneSite(u"", u"");
  EXPECT_NE(SaveSiteListIn(dir_, list), 0u);
  EXPECT_EQ(SiteText(list[0]->ip), u"");
}

TEST_F(SiteListFile, CharactersTheCodePageLacksAreSavedAsItsDefaultCharacterNotALookAlike) {
  // U+0100 and U+0142 have best-fit look-alikes ("A", "l") in the Western
  // code pages; the file gets the default character instead.
  CPINFOEXW cp{};
  GetCPInfoExW(CP_ACP, 0, &cp);
  const char fallback = char(cp.DefaultChar[0]);
  const wchar_t probe[] = L"\u0100\u0142";
  char lookAlike[8] = {};
  WideCharToMultiByte(CP_ACP, 0, probe, 2, lookAlike, sizeof(lookAlike), nullptr, nullptr);
  ASSERT_NE(lookAlike[0], fallback) << "the code page " << GetACP() << " has no best fit to leave out";
  SiteList list = OneSite(u"10.0.0.1", u"\u0100b\u0142");
  ASSERT_EQ(SaveSiteListIn(dir_, list), 0u);
  EXPECT_NE(ReadBytes(File()).find(std::string("\r\nPWD=") + fallback + "b" + fallback + "\r\n"), std::string::npos)
      << ReadBytes(File());
}

TEST_F(SiteListFile, ACountFarBeyondTheSectionsReadsTheSectionsThatExist) {
  WriteFile("[SETUP_INFO]\r\nNUMBER=2147483647\r\n\r\n[DVR1]\r\nTYPE=0\r\nIP=10.0.0.9\r\nPORT=50000\r\nID=admin\r\n"
            "[dvr3]\r\nIP=10.0.0.3\r\n[DVR03]\r\nIP=leading zero\r\n[DVR-4]\r\nIP=sign\r\n[OTHER]\r\nIP=other\r\n");
  const auto started = std::chrono::steady_clock::now();
  SiteList list = Load();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(SiteText(list[0]->ip), u"10.0.0.9");
  EXPECT_EQ(SiteText(list[1]->ip), u"10.0.0.3");  // the profile functions find sections in any letter case
  // What is saved back is what was loaded.
  ASSERT_EQ(SaveSiteListIn(dir_, list), 0u);
  const std::string saved = ReadBytes(File());
  EXPECT_EQ(saved.rfind("[SETUP_INFO]\r\nNUMBER=3\r\n\r\n[DVR1]\r\nTYPE=0\r\nIP=10.0.0.9\r\n", 0), 0u) << saved;
  EXPECT_NE(saved.find("\r\n[DVR2]\r\nTYPE=0\r\nIP=10.0.0.3\r\n"), std::string::npos) << saved;

  // Sections beyond the count are not read; a count below them stops early.
  WriteFile("[SETUP_INFO]\r\nNUMBER=2\r\n[DVR2]\r\nIP=2.2.2.2\r\n[DVR1]\r\nIP=1.1.1.1\r\n[DVR5]\r\nIP=5.5.5.5\r\n");
  list = Load();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(SiteText(list[0]->ip), u"1.1.1.1");  // in the order of their numbers
  EXPECT_EQ(SiteText(list[1]->ip), u"2.2.2.2");
}

TEST_F(SiteListFile, AtMostTheBoundOfSitesIsLoaded) {
  std::string text = "[SETUP_INFO]\r\nNUMBER=2147483647\r\n";
  for (size_t n = 1; n <= kMaxLoadedSites + 5; ++n)
    text += "[DVR" + std::to_string(n) + "]\r\nIP=10.0." + std::to_string(n / 256) + "." + std::to_string(n % 256) + "\r\n";
  WriteFile(text);
  SiteList list = Load();
  ASSERT_EQ(list.size(), kMaxLoadedSites);
  EXPECT_EQ(SiteText(list.back()->ip), u"10.0.3.232");  // site 1000
}

TEST_F(SiteListFile, AFileThatCannotBeReplacedKeepsWhatItHeldAndTheListStaysAsItWas) {
  WriteFile("[SETUP_INFO]\r\nNUMBER=2\r\n\r\n[DVR1]\r\nIP=1.1.1.1\r\n");
  const std::string before = ReadBytes(File());
  // Held open by another program that lets nobody delete or replace it.
  HANDLE held = CreateFileW(File().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  SiteList list = OneSite(u"", u"pw");
  EXPECT_NE(SaveSiteListIn(dir_, list), 0u);
  CloseHandle(held);
  EXPECT_EQ(ReadBytes(File()), before);
  EXPECT_EQ(GetFileAttributesW((File() + L".new").c_str()), INVALID_FILE_ATTRIBUTES);  // nothing left beside it
  EXPECT_EQ(SiteText(list[0]->ip), u"");
  ASSERT_EQ(SaveSiteListIn(dir_, list), 0u);  // once it is free
  EXPECT_EQ(SiteText(list[0]->ip), u"INVALID IP");
  EXPECT_NE(ReadBytes(File()).find("IP=INVALID IP\r\nPORT=50001\r\n"), std::string::npos);
}

// The file on the disk is at every moment the old text or the new one,
// never empty or cut: what a crash or a full disk in the middle of a save
// would leave. Its size is watched (without opening it) while saves of two
// lists of different sizes follow each other.
TEST_F(SiteListFile, WhileItIsSavedTheFileIsAlwaysWhole) {
  auto listOf = [](int sites) {
    SiteList list;
    for (int n = 0; n < sites; ++n) {
      list.push_back(std::make_unique<SiteRecord>(NewSiteRecord()));
      SetSiteText(list.back()->ip, u"recorder-" + std::u16string(40, u'x'));
      SetSiteText(list.back()->location, u"a location of some length");
      list.back()->port = 50000 + n;
    }
    return list;
  };
  SiteList small = listOf(300), large = listOf(600);
  ASSERT_EQ(SaveSiteListIn(dir_, large), 0u);
  const uint64_t largeSize = ReadBytes(File()).size();
  ASSERT_EQ(SaveSiteListIn(dir_, small), 0u);
  const uint64_t smallSize = ReadBytes(File()).size();

  std::atomic<bool> saving{true};
  std::set<uint64_t> seen;
  std::thread watcher([&] {
    while (saving.load()) {
      WIN32_FILE_ATTRIBUTE_DATA a{};
      if (GetFileAttributesExW(File().c_str(), GetFileExInfoStandard, &a))
        seen.insert(uint64_t(a.nFileSizeHigh) << 32 | a.nFileSizeLow);
      else
        seen.insert(UINT64_MAX);  // no file at all
    }
  });
  int failed = 0;
  for (int i = 0; i < 60; ++i) failed += SaveSiteListIn(dir_, i % 2 ? small : large) != 0;
  saving = false;
  watcher.join();
  EXPECT_EQ(failed, 0);
  std::string sizes;
  for (uint64_t size : seen) sizes += std::to_string(size) + " ";
  for (uint64_t size : seen) EXPECT_TRUE(size == smallSize || size == largeSize) << "sizes seen: " << sizes;
}

TEST(ProgramDirectory, IsTheProgramsFolderWithoutTrailingBackslash) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir = GetProgramDirectory();
  EXPECT_EQ(std::wstring(path).rfind(dir + L"\\", 0), 0u);
  EXPECT_EQ(std::wstring(path).find(L'\\', dir.size() + 1), std::wstring::npos);
  wchar_t buffer[MAX_PATH];
  GetProgramDirectory(buffer);
  EXPECT_EQ(dir, buffer);
}

}  // namespace
