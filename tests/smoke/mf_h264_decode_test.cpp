// The Media Foundation H.264 decoder transform decodes the fixture's pictures
// in order, at full size, one picture out for each access unit in.
#include <gtest/gtest.h>

#include <windows.h>

#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mftransform.h>
#include <wmcodecdsp.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "backup_walk.h"
#include "win32/owners.h"
#include "mark_reader.h"

namespace {

using testsupport::Bytes;

template <class T>
using Com = win32::ComPtr<T>;

constexpr int kWidth = 720, kHeight = 576, kFps = 25, kPictures = 20;
constexpr LONGLONG kFrameTime = 10'000'000 / kFps;  // 100 ns units

// Access units of the first `count` video pictures in Annex B form, the
// header's parameter sets in front of each key frame and an access unit
// delimiter behind each picture. Wine's decoder parses the byte stream and
// finishes an access unit only when the next one starts: without the closing
// delimiter each picture comes out one input late, and a drain does not
// release the last one.
std::vector<Bytes> AccessUnits(const std::vector<testsupport::WalkedSegment>& segments, int count) {
  std::vector<Bytes> units;
  for (const auto& seg : segments) {
    for (const auto& box : seg.boxes) {
      if (box.stream_type != 2) continue;
      if (static_cast<int>(units.size()) == count) return units;
      Bytes unit;
      if (box.sample_flags & 4) {
        for (const auto& p : seg.parameters) {
          const Bytes sets = testsupport::ToAnnexB(p.payload);
          unit.insert(unit.end(), sets.begin(), sets.end());
        }
      }
      const Bytes slices = testsupport::ToAnnexB(box.payload);
      unit.insert(unit.end(), slices.begin(), slices.end());
      unit.insert(unit.end(), {0, 0, 0, 1, 0x09, 0xF0});
      units.push_back(std::move(unit));
    }
  }
  return units;
}

struct Picture {
  UINT32 width = 0, height = 0;
  LONGLONG time = -1;
  std::optional<mark::Mark> marks[4];
};

class MfH264Decode : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(com_.emplace(win32::Apartment::kMultithreaded).Ok());
    ASSERT_EQ(MFStartup(MF_VERSION, MFSTARTUP_NOSOCKET), S_OK);
    mf_up_ = true;
  }
  void TearDown() override {
    decoder_.Reset();
    if (mf_up_) MFShutdown();
    com_.reset();
  }

  void CreateDecoder() {
    ASSERT_EQ(CoCreateInstance(CLSID_CMSH264DecoderMFT, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IMFTransform, decoder_.PutVoid()),
              S_OK);
    Com<IMFMediaType> in;
    ASSERT_EQ(MFCreateMediaType(in.Put()), S_OK);
    ASSERT_EQ(in->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video), S_OK);
    ASSERT_EQ(in->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_H264), S_OK);
    ASSERT_EQ(MFSetAttributeSize(in.Get(), MF_MT_FRAME_SIZE, kWidth, kHeight), S_OK);
    ASSERT_EQ(MFSetAttributeRatio(in.Get(), MF_MT_FRAME_RATE, kFps, 1), S_OK);
    ASSERT_EQ(decoder_->SetInputType(0, in.Get(), 0), S_OK);
    ASSERT_NO_FATAL_FAILURE(ChooseOutputType());
  }

  // Takes NV12, else I420/IYUV, from what the decoder offers now.
  void ChooseOutputType() {
    const GUID wanted[] = {MFVideoFormat_NV12, MFVideoFormat_I420, MFVideoFormat_IYUV};
    for (const GUID& subtype : wanted) {
      for (DWORD i = 0;; ++i) {
        Com<IMFMediaType> type;
        if (FAILED(decoder_->GetOutputAvailableType(0, i, type.Put()))) break;
        GUID offered{};
        if (SUCCEEDED(type->GetGUID(MF_MT_SUBTYPE, &offered)) && offered == subtype) {
          ASSERT_EQ(decoder_->SetOutputType(0, type.Get(), 0), S_OK);
          subtype_ = subtype;
          MFT_OUTPUT_STREAM_INFO info{};
          ASSERT_EQ(decoder_->GetOutputStreamInfo(0, &info), S_OK);
          output_info_ = info;
          return;
        }
      }
    }
    FAIL() << "the decoder offers neither NV12 nor I420";
  }

  void Feed(const Bytes& unit, LONGLONG time) {
    Com<IMFMediaBuffer> buffer;
    ASSERT_EQ(MFCreateMemoryBuffer(static_cast<DWORD>(unit.size()), buffer.Put()), S_OK);
    BYTE* data = nullptr;
    ASSERT_EQ(buffer->Lock(&data, nullptr, nullptr), S_OK);
    std::memcpy(data, unit.data(), unit.size());
    buffer->Unlock();
    ASSERT_EQ(buffer->SetCurrentLength(static_cast<DWORD>(unit.size())), S_OK);
    Com<IMFSample> sample;
    ASSERT_EQ(MFCreateSample(sample.Put()), S_OK);
    ASSERT_EQ(sample->AddBuffer(buffer.Get()), S_OK);
    ASSERT_EQ(sample->SetSampleTime(time), S_OK);
    ASSERT_EQ(sample->SetSampleDuration(kFrameTime), S_OK);
    ASSERT_EQ(decoder_->ProcessInput(0, sample.Get(), 0), S_OK);
  }

  // Takes pictures until the decoder wants more input.
  void Pull() {
    for (int guard = 0; guard < 100; ++guard) {
      const bool provides =
          output_info_.dwFlags & (MFT_OUTPUT_STREAM_PROVIDES_SAMPLES | MFT_OUTPUT_STREAM_CAN_PROVIDE_SAMPLES);
      Com<IMFSample> ours;
      if (!provides) {
        const DWORD size = output_info_.cbSize ? output_info_.cbSize : kWidth * kHeight * 3 / 2;
        Com<IMFMediaBuffer> buffer;
        ASSERT_EQ(MFCreateMemoryBuffer(size, buffer.Put()), S_OK);
        ASSERT_EQ(MFCreateSample(ours.Put()), S_OK);
        ASSERT_EQ(ours->AddBuffer(buffer.Get()), S_OK);
      }
      MFT_OUTPUT_DATA_BUFFER out{};
      out.dwStreamID = 0;
      out.pSample = ours.Get();
      DWORD status = 0;
      const HRESULT hr = decoder_->ProcessOutput(0, 1, &out, &status);
      if (out.pEvents) out.pEvents->Release();
      Com<IMFSample> given;  // a sample the decoder allocated is ours to release
      if (out.pSample && out.pSample != ours.Get()) *given.Put() = out.pSample;

      if (hr == MF_E_TRANSFORM_NEED_MORE_INPUT) return;
      if (hr == MF_E_TRANSFORM_STREAM_CHANGE) {
        ++stream_changes_;
        ASSERT_NO_FATAL_FAILURE(ChooseOutputType());
        continue;
      }
      ASSERT_EQ(hr, S_OK) << std::hex << hr;
      ASSERT_NO_FATAL_FAILURE(Read(given ? given.Get() : ours.Get()));
    }
    FAIL() << "the decoder never asked for more input";
  }

  void Read(IMFSample* sample) {
    Picture picture;
    Com<IMFMediaType> type;
    ASSERT_EQ(decoder_->GetOutputCurrentType(0, type.Put()), S_OK);
    ASSERT_EQ(MFGetAttributeSize(type.Get(), MF_MT_FRAME_SIZE, &picture.width, &picture.height), S_OK);
    sample->GetSampleTime(&picture.time);

    Com<IMFMediaBuffer> buffer;
    ASSERT_EQ(sample->ConvertToContiguousBuffer(buffer.Put()), S_OK);
    // Rows of the Y plane: from the 2-D lock when there is one, else the
    // type's stride (or the width) in a plain lock.
    Com<IMF2DBuffer> buffer2d;
    BYTE* rows = nullptr;
    LONG stride = 0;
    DWORD length = 0;
    const bool locked2d = SUCCEEDED(buffer->QueryInterface(IID_IMF2DBuffer, buffer2d.PutVoid())) &&
                          SUCCEEDED(buffer2d->Lock2D(&rows, &stride));
    if (!locked2d) {
      UINT32 type_stride = 0;
      stride = SUCCEEDED(type->GetUINT32(MF_MT_DEFAULT_STRIDE, &type_stride))
                   ? static_cast<LONG>(type_stride)
                   : static_cast<LONG>(picture.width);
      ASSERT_EQ(buffer->Lock(&rows, nullptr, &length), S_OK);
    }
    const bool fits = stride >= static_cast<LONG>(picture.width) &&
                      (locked2d || length >= static_cast<DWORD>(stride) * picture.height);
    if (fits) {
      const testsupport::PictureView view{rows, static_cast<int>(picture.width), static_cast<int>(picture.height),
                                          static_cast<int>(stride), testsupport::PixelFormat::kGray8};
      for (int camera = 1; camera <= 4; ++camera) picture.marks[camera - 1] = testsupport::ReadQuarterMark(view, camera);
    }
    if (locked2d) buffer2d->Unlock2D();
    else buffer->Unlock();
    ASSERT_TRUE(fits) << "stride " << stride << ", buffer " << length << " bytes";
    pictures_.push_back(picture);
  }

  Com<IMFTransform> decoder_;
  GUID subtype_{};
  MFT_OUTPUT_STREAM_INFO output_info_{};
  int stream_changes_ = 0;
  std::vector<Picture> pictures_;

 private:
  std::optional<win32::ComScope> com_;
  bool mf_up_ = false;
};

TEST_F(MfH264Decode, DecodesPicturesInOrderOneOutForEachIn) {
  const auto segments = testsupport::WalkSegments(testsupport::ReadWholeFile(FIXTURE_DIR "/cams4_25fps.am4"));
  const std::vector<Bytes> units = AccessUnits(segments, kPictures);
  ASSERT_EQ(units.size(), static_cast<size_t>(kPictures));

  ASSERT_NO_FATAL_FAILURE(CreateDecoder());
  ASSERT_EQ(decoder_->ProcessMessage(MFT_MESSAGE_NOTIFY_BEGIN_STREAMING, 0), S_OK);
  ASSERT_EQ(decoder_->ProcessMessage(MFT_MESSAGE_NOTIFY_START_OF_STREAM, 0), S_OK);

  std::vector<size_t> out_after_in;  // pictures out so far, after each input
  for (int i = 0; i < kPictures; ++i) {
    ASSERT_NO_FATAL_FAILURE(Feed(units[i], i * kFrameTime)) << "picture " << i;
    ASSERT_NO_FATAL_FAILURE(Pull()) << "picture " << i;
    out_after_in.push_back(pictures_.size());
  }
  const size_t before_drain = pictures_.size();
  ASSERT_EQ(decoder_->ProcessMessage(MFT_MESSAGE_COMMAND_DRAIN, 0), S_OK);
  ASSERT_NO_FATAL_FAILURE(Pull());
  decoder_->ProcessMessage(MFT_MESSAGE_NOTIFY_END_OF_STREAM, 0);
  decoder_->ProcessMessage(MFT_MESSAGE_NOTIFY_END_STREAMING, 0);

  std::string counts;
  for (size_t n : out_after_in) counts += " " + std::to_string(n);
  std::printf("output %s, stream info flags 0x%lx size %lu, stream changes %d\n",
              subtype_ == MFVideoFormat_NV12 ? "NV12" : "I420", output_info_.dwFlags, output_info_.cbSize,
              stream_changes_);
  std::printf("pictures out after each input:%s; before drain %zu, after drain %zu\n", counts.c_str(),
              before_drain, pictures_.size());

  ASSERT_EQ(pictures_.size(), static_cast<size_t>(kPictures));
  for (int i = 0; i < kPictures; ++i) {
    const Picture& p = pictures_[i];
    SCOPED_TRACE("picture " + std::to_string(i) + " time " + std::to_string(p.time));
    EXPECT_EQ(out_after_in[i], static_cast<size_t>(i + 1)) << "one picture out per access unit in";
    EXPECT_EQ(p.width, static_cast<UINT32>(kWidth));
    EXPECT_EQ(p.height, static_cast<UINT32>(kHeight));
    for (int camera = 1; camera <= 4; ++camera) {
      EXPECT_EQ(p.marks[camera - 1], (mark::Mark{camera, i})) << "camera " << camera;
    }
  }
}

}  // namespace
