#include "app/win32/png_file.h"

#include <objbase.h>
#include <wincodec.h>

namespace vantrel {

namespace {

// Owns one COM interface pointer.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (m_p) m_p->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T** Out() { return &m_p; }
  T* operator->() const { return m_p; }
  T* get() const { return m_p; }

 private:
  T* m_p = nullptr;
};

// COM for the length of one export, on a thread that may or may not have it already.
class ComScope {
 public:
  ComScope() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(m_hr)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  // RPC_E_CHANGED_MODE: the thread has COM in another model, which serves as well.
  bool Usable() const { return SUCCEEDED(m_hr) || m_hr == RPC_E_CHANGED_MODE; }

 private:
  HRESULT m_hr;
};

bool Encode(const std::wstring& path, int width, int height, const std::vector<uint8_t>& rows, UINT stride) {
  ComRef<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(factory.Out()))))
    return false;
  ComRef<IWICStream> stream;
  if (FAILED(factory->CreateStream(stream.Out()))) return false;
  if (FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE))) return false;
  ComRef<IWICBitmapEncoder> encoder;
  if (FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out()))) return false;
  if (FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache))) return false;
  ComRef<IWICBitmapFrameEncode> frame;
  ComRef<IPropertyBag2> options;
  if (FAILED(encoder->CreateNewFrame(frame.Out(), options.Out()))) return false;
  if (FAILED(frame->Initialize(options.get()))) return false;
  if (FAILED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)))) return false;
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(frame->SetPixelFormat(&format)) || !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) return false;
  if (FAILED(frame->WritePixels(static_cast<UINT>(height), stride, static_cast<UINT>(rows.size()),
                                const_cast<BYTE*>(rows.data()))))
    return false;
  return SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit()) && SUCCEEDED(stream->Commit(STGC_DEFAULT));
}

}  // namespace

bool WritePngFile(const std::wstring& path, int width, int height, const std::vector<uint32_t>& pixels) {
  if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
    return false;
  // 24-bit rows, blue first, each padded to four bytes.
  const UINT stride = (static_cast<UINT>(width) * 3 + 3) & ~3u;
  std::vector<uint8_t> rows(static_cast<size_t>(stride) * static_cast<size_t>(height), 0);
  for (int y = 0; y < height; ++y) {
    uint8_t* out = rows.data() + static_cast<size_t>(y) * stride;
    const uint32_t* in = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
    for (int x = 0; x < width; ++x) {
      out[3 * x] = static_cast<uint8_t>(in[x]);
      out[3 * x + 1] = static_cast<uint8_t>(in[x] >> 8);
      out[3 * x + 2] = static_cast<uint8_t>(in[x] >> 16);
    }
  }
  ComScope com;
  if (!com.Usable()) return false;
  if (Encode(path, width, height, rows, stride)) return true;
  DeleteFileW(path.c_str());
  return false;
}

}  // namespace vantrel
