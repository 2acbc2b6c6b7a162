#include <windows.h>
#include <vfw.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "capstan_api.h"
#include "win32/gdi.h"
#include "win32/owners.h"

namespace {

constexpr int kWidth = 360, kHeight = 288;

// Picture n: a grey ramp across, with a white bar whose place tells n.
uint8_t Expected(int n, int x, int y, int channel) {
  if (x >= n * 8 % kWidth && x < n * 8 % kWidth + 24) return 250;
  return uint8_t((x * 200 / kWidth + y / 8 + channel * 10) % 256);
}

win32::Bitmap MakePicture(int n, int width = kWidth, int height = kHeight) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB};
  void* bits = nullptr;
  win32::Bitmap b(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  const int stride = (width * 3 + 3) & ~3;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c) static_cast<uint8_t*>(bits)[y * stride + x * 3 + c] = Expected(n, x, y, c);
  return b;
}

struct Decoded {
  int width = 0, height = 0;
  std::vector<uint8_t> bgr;  // rows of width * 3
};

Decoded DecodeJpeg(const void* data, size_t bytes) {
  Decoded out;
  win32::ComPtr<IWICImagingFactory> factory;
  win32::ComPtr<IWICStream> stream;
  win32::ComPtr<IWICBitmapDecoder> decoder;
  win32::ComPtr<IWICBitmapFrameDecode> frame;
  win32::ComPtr<IWICFormatConverter> converter;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              factory.PutVoid())) ||
      FAILED(factory->CreateStream(stream.Put())) ||
      FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), DWORD(bytes))) ||
      FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Put())) ||
      FAILED(decoder->GetFrame(0, frame.Put())) || FAILED(factory->CreateFormatConverter(converter.Put())) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr, 0,
                                   WICBitmapPaletteTypeCustom)))
    return out;
  UINT w = 0, h = 0;
  converter->GetSize(&w, &h);
  out.width = int(w);
  out.height = int(h);
  out.bgr.resize(size_t(w) * h * 3);
  if (FAILED(converter->CopyPixels(nullptr, w * 3, UINT(out.bgr.size()), out.bgr.data()))) out = {};
  return out;
}

// Mean difference from picture n, per colour value.
double Difference(const Decoded& d, int n) {
  double sum = 0;
  for (int y = 0; y < d.height; ++y)
    for (int x = 0; x < d.width; ++x)
      for (int c = 0; c < 3; ++c) sum += std::abs(int(d.bgr[(size_t(y) * d.width + x) * 3 + c]) - Expected(n, x, y, c));
  return sum / (double(d.width) * d.height * 3);
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (FILE* f = fopen(path.c_str(), "rb")) {
    uint8_t buffer[65536];
    for (size_t n; (n = fread(buffer, 1, sizeof(buffer), f)) > 0;) bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
  }
  return bytes;
}

class Capstan : public ::testing::Test {
 protected:
  void SetUp() override {
    com_.emplace(win32::Apartment::kMultithreaded);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "capstan_test_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
  }
  void TearDown() override {
    CapCloseAvi();
    com_.reset();
  }
  std::string Path(const char* name) const { return folder_ + "\\" + name; }

  std::string folder_;
  std::optional<win32::ComScope> com_;
};

// The stream of a recording as the AVI file library reads it.
struct Recording {
  PAVIFILE file = nullptr;
  PAVISTREAM stream = nullptr;
  AVISTREAMINFOW info{};

  explicit Recording(const std::string& path) {
    AVIFileInit();
    if (AVIFileOpenA(&file, path.c_str(), OF_READ, nullptr) != AVIERR_OK) file = nullptr;
    if (file && AVIFileGetStream(file, &stream, streamtypeVIDEO, 0) == AVIERR_OK)
      AVIStreamInfoW(stream, &info, sizeof(info));
  }
  ~Recording() {
    if (stream) AVIStreamRelease(stream);
    if (file) AVIFileRelease(file);
    AVIFileExit();
  }
  std::vector<uint8_t> Frame(LONG n) const {
    LONG bytes = 0;
    if (AVIStreamRead(stream, n, 1, nullptr, 0, &bytes, nullptr) != AVIERR_OK || bytes <= 0) return {};
    std::vector<uint8_t> data(static_cast<size_t>(bytes));
    AVIStreamRead(stream, n, 1, data.data(), bytes, nullptr, nullptr);
    return data;
  }
};

TEST_F(Capstan, RecordsMotionJpegFramesAtTheRateAndCountsItsBytes) {
  ASSERT_EQ(CreateNewBackupFile(folder_.c_str(), "rec.avi", 10, 0), 1);
  uint32_t last = 0;
  for (int n = 0; n < 20; ++n) {
    const win32::Bitmap picture = MakePicture(n);
    const uint32_t bytes = CapScr2Avi(nullptr, picture.Get(), kWidth, kHeight, "2009/03/07 14:05:09", 1, 0);
    EXPECT_GT(bytes, last) << "frame " << n;
    last = bytes;
  }
  const win32::Bitmap other_size = MakePicture(0, 200, 100);
  EXPECT_EQ(CapScr2Avi(nullptr, other_size.Get(), 200, 100, "", 1, 0), last) << "a picture of another size is left out";
  EXPECT_EQ(CapCloseAvi(), 1);

  // The count is the RIFF's size; the library may leave a few bytes after it.
  const std::vector<uint8_t> file = ReadFile(Path("rec.avi"));
  ASSERT_GT(file.size(), 8u);
  const uint32_t riff_bytes = 8 + (file[4] | file[5] << 8 | file[6] << 16 | uint32_t(file[7]) << 24);
  EXPECT_EQ(riff_bytes, last);
  EXPECT_LT(file.size() - riff_bytes, 64u);

  const Recording r(Path("rec.avi"));
  ASSERT_TRUE(r.stream);
  EXPECT_EQ(r.info.fccHandler, mmioFOURCC('M', 'J', 'P', 'G'));
  EXPECT_EQ(r.info.dwRate / r.info.dwScale, 10u);
  EXPECT_EQ(r.info.dwLength, 20u);
  EXPECT_EQ(r.info.rcFrame.right - r.info.rcFrame.left, kWidth);
  EXPECT_EQ(r.info.rcFrame.bottom - r.info.rcFrame.top, kHeight);
  for (int n : {0, 7, 19}) {
    const std::vector<uint8_t> jpeg = r.Frame(n);
    const Decoded d = DecodeJpeg(jpeg.data(), jpeg.size());
    ASSERT_EQ(d.width, kWidth) << "frame " << n;
    ASSERT_EQ(d.height, kHeight);
    EXPECT_LT(Difference(d, n), 3.0) << "frame " << n << " is its picture";
    EXPECT_GT(Difference(d, n + 5), 5.0) << "frame " << n << " is not another picture";
  }
}

TEST_F(Capstan, NothingOpenIsNoError) {
  EXPECT_EQ(CapCloseAvi(), 0);
  const win32::Bitmap picture = MakePicture(0);
  EXPECT_EQ(CapScr2Avi(nullptr, picture.Get(), kWidth, kHeight, "", 1, 0), 0u);
  EXPECT_EQ(CreateNewBackupFile(folder_.c_str(), "bad_rate.avi", 0, 0), 0);
  EXPECT_EQ(CreateNewBackupFile("C:\\no\\such\\folder", "x.avi", 10, 0), 0);
  EXPECT_EQ(CapCloseAvi(), 0);
}

// The display thread appends while the user-interface thread closes.
TEST_F(Capstan, ACloseDuringAppendsLeavesAWholeFile) {
  for (int round = 0; round < 3; ++round) {
    const std::string name = "race" + std::to_string(round) + ".avi";
    ASSERT_EQ(CreateNewBackupFile(folder_.c_str(), name.c_str(), 25, 0), 1);
    std::atomic<bool> running{true};
    std::atomic<int> appended{0};
    std::thread display([&] {
      const win32::ComScope com(win32::Apartment::kMultithreaded);
      const win32::Bitmap picture = MakePicture(round);
      while (running.load())
        if (CapScr2Avi(nullptr, picture.Get(), kWidth, kHeight, "", 1, 0)) appended.fetch_add(1);
    });
    while (appended.load() < 3 + round * 4) Sleep(1);
    EXPECT_EQ(CapCloseAvi(), 1);
    Sleep(20);  // the appends go on, into no file
    running.store(false);
    display.join();

    // Every frame reported written is in the file, and only those.
    const Recording r(Path(name.c_str()));
    ASSERT_TRUE(r.stream) << name;
    EXPECT_EQ(int(r.info.dwLength), appended.load());
    const std::vector<uint8_t> last = r.Frame(LONG(r.info.dwLength) - 1);
    EXPECT_LT(Difference(DecodeJpeg(last.data(), last.size()), round), 3.0) << name;
  }
}

TEST_F(Capstan, JpegStillOfTheRectangle) {
  const win32::Bitmap picture = MakePicture(3);
  CapImageJpg(nullptr, picture.Get(), {0, 0, kWidth, 200}, 1, 2, "20090307_140509", folder_.c_str());
  const std::vector<uint8_t> jpeg = ReadFile(Path("20090307_140509.jpg"));
  ASSERT_FALSE(jpeg.empty());
  const Decoded d = DecodeJpeg(jpeg.data(), jpeg.size());
  EXPECT_EQ(d.width, kWidth);
  EXPECT_EQ(d.height, 200);
  EXPECT_LT(Difference(d, 3), 3.0);
}

}  // namespace
