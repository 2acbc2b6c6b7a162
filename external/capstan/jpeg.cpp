#include "jpeg.h"

#include <wincodec.h>

#include "win32/owners.h"

namespace capstan {

namespace {

bool Encode(const Pixels& picture, IStream* out) {
  if (picture.Empty()) return false;
  win32::ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              factory.PutVoid())))
    return false;
  win32::ComPtr<IWICBitmapEncoder> encoder;
  win32::ComPtr<IWICBitmapFrameEncode> frame;
  win32::ComPtr<IPropertyBag2> options;
  if (FAILED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.Put())) ||
      FAILED(encoder->Initialize(out, WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(frame.Put(), options.Put())))
    return false;
  PROPBAG2 name{};
  name.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
  VARIANT quality;
  VariantInit(&quality);
  quality.vt = VT_R4;
  quality.fltVal = kJpegQuality;
  options->Write(1, &name, &quality);
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(frame->Initialize(options.Get())) || FAILED(frame->SetSize(UINT(picture.width), UINT(picture.height))) ||
      FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat24bppBGR)
    return false;
  return SUCCEEDED(frame->WritePixels(UINT(picture.height), UINT(picture.stride), UINT(picture.bgr.size()),
                                      const_cast<BYTE*>(picture.bgr.data()))) &&
         SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

}  // namespace

std::vector<uint8_t> EncodeJpeg(const Pixels& picture) {
  const win32::ComScope com(win32::Apartment::kMultithreaded);  // whatever the calling thread has set up already
  win32::ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put())) || !Encode(picture, stream.Get())) return {};
  STATSTG stat{};
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return {};
  std::vector<uint8_t> bytes(size_t(stat.cbSize.QuadPart));
  LARGE_INTEGER start{};
  ULONG read = 0;
  if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) ||
      FAILED(stream->Read(bytes.data(), ULONG(bytes.size()), &read)) || read != bytes.size())
    return {};
  return bytes;
}

bool WriteJpeg(const Pixels& picture, const wchar_t* path) {
  const std::vector<uint8_t> bytes = EncodeJpeg(picture);
  if (bytes.empty()) return false;
  HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  win32::UniqueHandle file(h);
  DWORD written = 0;
  return WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
}

}  // namespace capstan
