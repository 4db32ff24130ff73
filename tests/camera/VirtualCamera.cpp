// A camera for the test bench: a DirectShow video source filter, registered (regsvr32) in the
// video input device category, so that a program enumerating cameras finds it and binds it as a
// webcam. It plays the script in VirtualCamera.txt beside the DLL (see Frames.h) as frames at a
// set rate, in the formats and sizes webcams offer. Test code: never shipped.
#include <windows.h>

#include <dshow.h>
#include <ks.h>
#include <ksmedia.h>
#include <wincodec.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/camera/Frames.h"
#include "tests/engines/Microseconds.h"

namespace {

using namespace tolvira::camera;

// {6A3C1E52-2F4B-4D8E-9B0A-7C5D3E1F2A60}
const CLSID kClsid = {0x6a3c1e52, 0x2f4b, 0x4d8e, {0x9b, 0x0a, 0x7c, 0x5d, 0x3e, 0x1f, 0x2a, 0x60}};
const wchar_t kClsidText[] = L"{6A3C1E52-2F4B-4D8E-9B0A-7C5D3E1F2A60}";
const wchar_t kPinName[] = L"Capture";
// Some MinGW-w64 import libraries lack these.
const GUID kPropSetPin = {0x9b00f101, 0x1567, 0x11d1, {0xb3, 0xf1, 0x00, 0xaa, 0x00, 0x37, 0x61, 0xc5}};
const GUID kPinCategoryCapture = {0xfb6c4281, 0x0353, 0x11d1, {0x90, 0x5f, 0x00, 0x00, 0xc0, 0xcc, 0x16, 0xba}};
const GUID kIidKsPropertySet = {0x31efac30, 0x515c, 0x11d0, {0xa9, 0xaa, 0x00, 0xaa, 0x00, 0x61, 0xbe, 0x93}};
const GUID kIidStreamConfig = {0xc6e13340, 0x30ac, 0x11d0, {0xa1, 0x8c, 0x00, 0xa0, 0xc9, 0x11, 0x89, 0x56}};

HMODULE gModule = nullptr;
std::atomic<long> gObjects{0}, gLocks{0};

std::wstring moduleFolder() {
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(gModule, path, MAX_PATH * 4);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\'));
}

std::wstring widen(const std::string& s) {
    if (s.empty()) return {};
    std::wstring w(MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), static_cast<int>(w.size()));
    return w;
}

// A path of the script: relative ones are beside the DLL.
std::wstring besideDll(const std::string& path) {
    const std::wstring w = widen(path);
    if (w.size() > 1 && (w[1] == L':' || w[0] == L'\\')) return w;
    return moduleFolder() + L"\\" + w;
}

std::string readAll(const std::wstring& path) {
    std::string text;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return text;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got) text.append(buf, got);
    CloseHandle(f);
    return text;
}

// The camera's notes: "<microseconds> <text>" lines, QueryPerformanceCounter's clock.
void note(const Script& script, const std::string& text) {
    if (script.log.empty()) return;
    static std::mutex lock;
    std::lock_guard guard(lock);
    const std::string line = std::to_string(tolvira::e2e::nowMicroseconds()) + " " + text + "\r\n";
    HANDLE f = CreateFileW(besideDll(script.log).c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                           0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD put = 0;
    WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &put, nullptr);
    CloseHandle(f);
}

Script loadScript() {
    Script script;
    std::string error;
    if (!parseScript(readAll(moduleFolder() + L"\\VirtualCamera.txt"), script, error)) {
        script.steps.clear();
        script.log = script.log.empty() ? "VirtualCamera.log" : script.log;
        note(script, "bad script: " + error);
    }
    return script;
}

// Decodes a picture file with WIC into 32-bit BGRX (through 32-bit colour, which WIC under Wine
// can convert every format to).
Picture loadPicture(const std::wstring& path) {
    Picture picture;
    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))))
        return picture;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    UINT w = 0, h = 0;
    if (SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnDemand, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                                        nullptr, 0, WICBitmapPaletteTypeCustom)) &&
        SUCCEEDED(converter->GetSize(&w, &h))) {
        std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
        if (SUCCEEDED(converter->CopyPixels(nullptr, w * 4, w * h * 4, reinterpret_cast<BYTE*>(pixels.data()))))
            picture = {static_cast<int>(w), static_cast<int>(h), std::move(pixels)};
    }
    if (converter) converter->Release();
    if (frame) frame->Release();
    if (decoder) decoder->Release();
    factory->Release();
    return picture;
}

// The frame as one JPEG picture, as an MJPG webcam sends it (WIC's encoder; empty on failure).
std::vector<uint8_t> encodeJpeg(const Picture& frame) {
    std::vector<uint8_t> out;
    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))))
        return out;
    IStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* target = nullptr;
    IPropertyBag2* options = nullptr;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
    const UINT stride = static_cast<UINT>(frame.width) * 4;
    if (SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&target, &options)) && SUCCEEDED(target->Initialize(options)) &&
        SUCCEEDED(target->SetSize(frame.width, frame.height)) && SUCCEEDED(target->SetPixelFormat(&format)) &&
        SUCCEEDED(target->WritePixels(frame.height, stride, stride * frame.height,
                                      reinterpret_cast<BYTE*>(const_cast<uint32_t*>(frame.pixels.data())))) &&
        SUCCEEDED(target->Commit()) && SUCCEEDED(encoder->Commit())) {
        HGLOBAL memory = nullptr;
        STATSTG stat{};
        if (SUCCEEDED(GetHGlobalFromStream(stream, &memory)) && SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME))) {
            const auto* bytes = static_cast<const uint8_t*>(GlobalLock(memory));
            out.assign(bytes, bytes + stat.cbSize.QuadPart);
            GlobalUnlock(memory);
        }
    }
    if (options) options->Release();
    if (target) target->Release();
    if (encoder) encoder->Release();
    if (stream) stream->Release();
    factory->Release();
    return out;
}

// The frame as the format sends it.
std::vector<uint8_t> packFrame(const Picture& frame, Format format) {
    return format == Format::MJPG ? encodeJpeg(frame) : pack(frame, format);
}

GUID subtypeOf(Format format) {
    switch (format) {
        case Format::RGB24: return MEDIASUBTYPE_RGB24;
        case Format::RGB32: return MEDIASUBTYPE_RGB32;
        default: break;
    }
    const char* n = formatName(format);
    GUID g = MEDIASUBTYPE_YUY2;  // the FOURCC GUID pattern
    g.Data1 = static_cast<DWORD>(n[0]) | n[1] << 8 | n[2] << 16 | n[3] << 24;
    return g;
}

DWORD compressionOf(Format format) {
    if (format == Format::RGB24 || format == Format::RGB32) return BI_RGB;
    return subtypeOf(format).Data1;
}

void freeMediaType(AM_MEDIA_TYPE& mt) {
    if (mt.cbFormat) CoTaskMemFree(mt.pbFormat);
    mt.cbFormat = 0;
    mt.pbFormat = nullptr;
    if (mt.pUnk) mt.pUnk->Release();
    mt.pUnk = nullptr;
}

void copyMediaType(AM_MEDIA_TYPE& to, const AM_MEDIA_TYPE& from) {
    to = from;
    if (from.cbFormat) {
        to.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(from.cbFormat));
        memcpy(to.pbFormat, from.pbFormat, from.cbFormat);
    }
    if (to.pUnk) to.pUnk->AddRef();
}

AM_MEDIA_TYPE* newMediaType(const AM_MEDIA_TYPE& from) {
    auto* mt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    copyMediaType(*mt, from);
    return mt;
}

void makeMediaType(const FrameType& t, int fps, AM_MEDIA_TYPE& mt) {
    mt = {};
    mt.majortype = MEDIATYPE_Video;
    mt.subtype = subtypeOf(t.format);
    mt.formattype = FORMAT_VideoInfo;
    mt.bFixedSizeSamples = t.format != Format::MJPG;
    mt.bTemporalCompression = FALSE;
    mt.lSampleSize = static_cast<ULONG>(frameBytes(t));
    mt.cbFormat = sizeof(VIDEOINFOHEADER);
    auto* vih = static_cast<VIDEOINFOHEADER*>(CoTaskMemAlloc(sizeof(VIDEOINFOHEADER)));
    *vih = {};
    vih->AvgTimePerFrame = 10000000 / fps;
    vih->dwBitRate = static_cast<DWORD>(frameBytes(t) * 8 * fps);
    vih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih->bmiHeader.biWidth = t.width;
    vih->bmiHeader.biHeight = t.height;
    vih->bmiHeader.biPlanes = 1;
    vih->bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel(t.format));
    vih->bmiHeader.biCompression = compressionOf(t.format);
    vih->bmiHeader.biSizeImage = static_cast<DWORD>(frameBytes(t));
    mt.pbFormat = reinterpret_cast<BYTE*>(vih);
}

// The frame type a media type asks for, if the camera offers it.
bool frameTypeOf(const std::vector<FrameType>& offered, const AM_MEDIA_TYPE& mt, FrameType& out) {
    if (mt.majortype != MEDIATYPE_Video || mt.formattype != FORMAT_VideoInfo || !mt.pbFormat ||
        mt.cbFormat < sizeof(VIDEOINFOHEADER))
        return false;
    const auto& bih = reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat)->bmiHeader;
    for (const auto& t : offered)
        if (subtypeOf(t.format) == mt.subtype && t.width == bih.biWidth && t.height == bih.biHeight) {
            out = t;
            return true;
        }
    return false;
}

// A COM enumerator over a fixed list.
template <class Interface, class Item, const IID& Iid>
class Enumerator final : public Interface {
public:
    using Make = Item (*)(const Item&);
    Enumerator(std::vector<Item> items, Make make, size_t at = 0) : items_(std::move(items)), make_(make), at_(at) {
        ++gObjects;
    }
    ~Enumerator() { --gObjects; }
    Enumerator(const Enumerator&) = delete;
    Enumerator& operator=(const Enumerator&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == Iid) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG n = --refs_;
        if (!n) delete this;
        return n;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) override {
        ULONG n = 0;
        while (n < count && at_ < items_.size()) out[n++] = make_(items_[at_++]);
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        at_ += count;
        if (at_ <= items_.size()) return S_OK;
        at_ = items_.size();
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        at_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Interface** out) override {
        *out = new Enumerator(items_, make_, at_);
        return S_OK;
    }

private:
    std::atomic<ULONG> refs_{1};
    std::vector<Item> items_;
    Make make_;
    size_t at_;
};

class Camera;

// The camera's one output pin: capture category, the formats of the script, pushes frames
// into the downstream pin's allocator from a thread of its own while the graph runs.
class CapturePin final : public IPin, public IAMStreamConfig, public IKsPropertySet {
public:
    explicit CapturePin(Camera& camera) : camera_(camera) {}
    ~CapturePin() { freeMediaType(connectedType_); }
    CapturePin(const CapturePin&) = delete;
    CapturePin& operator=(const CapturePin&) = delete;

    void setScript(const Script* script);

    // IUnknown: the pin lives and dies with its filter.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IPin) *out = static_cast<IPin*>(this);
        else if (iid == kIidStreamConfig) *out = static_cast<IAMStreamConfig*>(this);
        else if (iid == kIidKsPropertySet) *out = static_cast<IKsPropertySet*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IPin
    HRESULT STDMETHODCALLTYPE Connect(IPin* receiver, const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE Disconnect() override {
        std::lock_guard guard(lock_);
        if (!peer_) return S_FALSE;
        release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override {
        std::lock_guard guard(lock_);
        *pin = peer_;
        if (!peer_) return VFW_E_NOT_CONNECTED;
        peer_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* mt) override {
        std::lock_guard guard(lock_);
        if (!peer_) {
            *mt = {};
            return VFW_E_NOT_CONNECTED;
        }
        copyMediaType(*mt, connectedType_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* dir) override {
        *dir = PINDIR_OUTPUT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override {
        *id = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof kPinName));
        memcpy(*id, kPinName, sizeof kPinName);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* mt) override {
        FrameType t;
        return frameTypeOf(offered_, *mt, t) ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** out) override {
        std::vector<AM_MEDIA_TYPE*> types;
        for (const auto& t : preferredFirst()) {
            AM_MEDIA_TYPE mt;
            makeMediaType(t, script_->fps, mt);
            types.push_back(newMediaType(mt));
            freeMediaType(mt);
        }
        *out = new Enumerator<IEnumMediaTypes, AM_MEDIA_TYPE*, IID_IEnumMediaTypes>(
            std::move(types), [](AM_MEDIA_TYPE* const& mt) { return newMediaType(*mt); });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EndOfStream() override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE BeginFlush() override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE EndFlush() override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

    // IAMStreamConfig
    HRESULT STDMETHODCALLTYPE SetFormat(AM_MEDIA_TYPE* mt) override {
        FrameType t;
        if (!mt || !frameTypeOf(offered_, *mt, t)) return VFW_E_INVALIDMEDIATYPE;
        std::lock_guard guard(lock_);
        if (peer_ && !(t.format == current_.format && t.width == current_.width && t.height == current_.height))
            return VFW_E_ALREADY_CONNECTED;
        current_ = t;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFormat(AM_MEDIA_TYPE** out) override {
        AM_MEDIA_TYPE mt;
        makeMediaType(current_, script_->fps, mt);
        *out = newMediaType(mt);
        freeMediaType(mt);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetNumberOfCapabilities(int* count, int* size) override {
        *count = static_cast<int>(offered_.size());
        *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetStreamCaps(int index, AM_MEDIA_TYPE** out, BYTE* caps) override {
        if (index < 0 || index >= static_cast<int>(offered_.size())) return S_FALSE;
        const FrameType& t = offered_[index];
        AM_MEDIA_TYPE mt;
        makeMediaType(t, script_->fps, mt);
        *out = newMediaType(mt);
        freeMediaType(mt);
        auto* c = reinterpret_cast<VIDEO_STREAM_CONFIG_CAPS*>(caps);
        *c = {};
        c->guid = FORMAT_VideoInfo;
        c->InputSize = c->MinCroppingSize = c->MaxCroppingSize = c->MinOutputSize = c->MaxOutputSize =
            SIZE{t.width, t.height};
        c->OutputGranularityX = c->OutputGranularityY = 1;
        c->MinFrameInterval = c->MaxFrameInterval = 10000000 / script_->fps;
        c->MinBitsPerSecond = c->MaxBitsPerSecond = static_cast<LONG>(frameBytes(t) * 8 * script_->fps);
        return S_OK;
    }

    // IKsPropertySet: only the pin's category, which says it is a capture pin.
    HRESULT STDMETHODCALLTYPE Set(REFGUID, DWORD, LPVOID, DWORD, LPVOID, DWORD) override {
        return E_PROP_ID_UNSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE Get(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID data, DWORD size,
                                  DWORD* returned) override {
        if (set != kPropSetPin) return E_PROP_SET_UNSUPPORTED;
        if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
        if (returned) *returned = sizeof(GUID);
        if (!data) return S_OK;
        if (size < sizeof(GUID)) return E_UNEXPECTED;
        *static_cast<GUID*>(data) = kPinCategoryCapture;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QuerySupported(REFGUID set, DWORD id, DWORD* support) override {
        if (set != kPropSetPin) return E_PROP_SET_UNSUPPORTED;
        if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
        if (support) *support = KSPROPERTY_SUPPORT_GET;
        return S_OK;
    }

    HRESULT active(bool on);  // paused or running: allocator committed or not
    void run(bool on);        // frames flow or not

private:
    std::vector<FrameType> preferredFirst() const {
        std::vector<FrameType> types{current_};
        for (const auto& t : offered_)
            if (!(t.format == current_.format && t.width == current_.width && t.height == current_.height))
                types.push_back(t);
        return types;
    }
    HRESULT tryConnect(IPin* receiver, const AM_MEDIA_TYPE& mt);
    void release() {
        if (allocator_) allocator_->Release();
        if (input_) input_->Release();
        if (peer_) peer_->Release();
        allocator_ = nullptr;
        input_ = nullptr;
        peer_ = nullptr;
        freeMediaType(connectedType_);
    }
    void stream();

    Camera& camera_;
    const Script* script_ = nullptr;
    std::vector<FrameType> offered_;
    FrameType current_{Format::YUY2, 640, 480};
    std::mutex lock_;
    IPin* peer_ = nullptr;
    IMemInputPin* input_ = nullptr;
    IMemAllocator* allocator_ = nullptr;
    AM_MEDIA_TYPE connectedType_{};
    std::thread thread_;
    HANDLE stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

class Camera final : public IBaseFilter {
public:
    Camera() : script_(loadScript()), pin_(*this) {
        ++gObjects;
        pin_.setScript(&script_);
    }
    ~Camera() {
        pin_.run(false);
        pin_.active(false);
        pin_.Disconnect();
        if (clock_) clock_->Release();
        --gObjects;
    }
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IPersist || iid == IID_IMediaFilter || iid == IID_IBaseFilter) {
            *out = static_cast<IBaseFilter*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG n = --refs_;
        if (!n) delete this;
        return n;
    }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override {
        *id = kClsid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stop() override {
        std::lock_guard guard(stateLock_);
        pin_.run(false);
        pin_.active(false);
        state_ = State_Stopped;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Pause() override {
        std::lock_guard guard(stateLock_);
        if (state_ == State_Running) pin_.run(false);
        if (state_ == State_Stopped) {
            const HRESULT hr = pin_.active(true);
            if (FAILED(hr)) return hr;
        }
        state_ = State_Paused;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override {
        std::lock_guard guard(stateLock_);
        if (state_ == State_Stopped) {
            const HRESULT hr = pin_.active(true);
            if (FAILED(hr)) return hr;
        }
        if (state_ != State_Running) pin_.run(true);
        state_ = State_Running;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE* state) override {
        *state = state_;
        // A live source has nothing to show while paused.
        return state_ == State_Paused ? VFW_S_CANT_CUE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override {
        if (clock) clock->AddRef();
        if (clock_) clock_->Release();
        clock_ = clock;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override {
        *clock = clock_;
        if (clock_) clock_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** out) override {
        pin_.AddRef();
        *out = new Enumerator<IEnumPins, IPin*, IID_IEnumPins>({&pin_}, [](IPin* const& p) {
            p->AddRef();
            return p;
        });
        pin_.Release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) override {
        if (wcscmp(id, kPinName)) {
            *pin = nullptr;
            return VFW_E_NOT_FOUND;
        }
        *pin = &pin_;
        pin_.AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override {
        lstrcpynW(info->achName, name_.c_str(), MAX_FILTER_NAME);
        info->pGraph = graph_;
        if (graph_) graph_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override {
        graph_ = graph;  // not held: the graph holds the filter
        name_ = name ? name : L"";
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

    const Script& script() const { return script_; }

private:
    std::atomic<ULONG> refs_{1};
    Script script_;
    CapturePin pin_;
    std::mutex stateLock_;
    FILTER_STATE state_ = State_Stopped;
    IReferenceClock* clock_ = nullptr;
    IFilterGraph* graph_ = nullptr;
    std::wstring name_;
};

ULONG CapturePin::AddRef() { return camera_.AddRef(); }
ULONG CapturePin::Release() { return camera_.Release(); }

void CapturePin::setScript(const Script* script) {
    script_ = script;
    for (Format f : script->formats)
        for (const auto& s : script->sizes) offered_.push_back({f, s.first, s.second});
    if (!offered_.empty()) current_ = offered_.front();
}

HRESULT CapturePin::QueryPinInfo(PIN_INFO* info) {
    info->pFilter = &camera_;
    camera_.AddRef();
    info->dir = PINDIR_OUTPUT;
    lstrcpynW(info->achName, kPinName, MAX_PIN_NAME);
    return S_OK;
}

HRESULT CapturePin::Connect(IPin* receiver, const AM_MEDIA_TYPE* wanted) {
    std::lock_guard guard(lock_);
    if (peer_) return VFW_E_ALREADY_CONNECTED;
    for (const auto& t : preferredFirst()) {
        AM_MEDIA_TYPE mt;
        makeMediaType(t, script_->fps, mt);
        const bool fits = !wanted || ((wanted->majortype == GUID_NULL || wanted->majortype == mt.majortype) &&
                                      (wanted->subtype == GUID_NULL || wanted->subtype == mt.subtype) &&
                                      (wanted->formattype == GUID_NULL || wanted->formattype == mt.formattype));
        HRESULT hr = fits ? tryConnect(receiver, mt) : E_FAIL;
        if (SUCCEEDED(hr)) {
            current_ = t;
            connectedType_ = mt;
            note(*script_, std::string("connected ") + formatName(t.format) + " " + std::to_string(t.width) +
                               "x" + std::to_string(t.height));
            return S_OK;
        }
        freeMediaType(mt);
    }
    return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT CapturePin::tryConnect(IPin* receiver, const AM_MEDIA_TYPE& mt) {
    HRESULT hr = receiver->ReceiveConnection(this, &mt);
    if (FAILED(hr)) return hr;
    IMemInputPin* input = nullptr;
    hr = receiver->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&input));
    if (FAILED(hr)) {
        receiver->Disconnect();
        return hr;
    }
    IMemAllocator* allocator = nullptr;
    if (FAILED(input->GetAllocator(&allocator)))
        CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                         reinterpret_cast<void**>(&allocator));
    // Room for the larger frames a "long" step sends.
    FrameType t{};
    frameTypeOf(offered_, mt, t);
    const auto big = otherSize(*script_, t.width, t.height, false);
    ALLOCATOR_PROPERTIES want{4, static_cast<long>(frameBytes({t.format, big.first, big.second})), 1, 0}, got{};
    if (!allocator || FAILED(hr = allocator->SetProperties(&want, &got)) ||
        FAILED(hr = input->NotifyAllocator(allocator, FALSE))) {
        if (allocator) allocator->Release();
        input->Release();
        receiver->Disconnect();
        return FAILED(hr) ? hr : E_FAIL;
    }
    peer_ = receiver;
    peer_->AddRef();
    input_ = input;
    allocator_ = allocator;
    return S_OK;
}

HRESULT CapturePin::active(bool on) {
    std::lock_guard guard(lock_);
    if (!allocator_) return on ? VFW_E_NOT_CONNECTED : S_OK;
    return on ? allocator_->Commit() : allocator_->Decommit();
}

void CapturePin::run(bool on) {
    if (on) {
        ResetEvent(stop_);
        thread_ = std::thread([this] { stream(); });
    } else if (thread_.joinable()) {
        SetEvent(stop_);
        thread_.join();
    }
}

// The script's pictures, each laid out and packed once for the connected frame type.
struct Frames {
    std::vector<uint8_t> blank;
    std::vector<std::vector<uint8_t>> steps;
};

Frames prepare(const Script& script, const FrameType& t) {
    Frames frames;
    constexpr double kFill = 0.6;
    constexpr int kMaxScale = 4;
    frames.blank = packFrame(compose({}, t.width, t.height, kFill, kMaxScale), t.format);
    for (const auto& step : script.steps) {
        std::vector<uint8_t> packed;
        if (step.kind == Step::Show || step.kind == Step::Short || step.kind == Step::Long ||
            step.kind == Step::Hold) {
            const Picture picture = loadPicture(besideDll(step.path));
            if (picture.pixels.empty()) note(script, "cannot read picture " + step.path);
            auto size = std::pair{t.width, t.height};
            if (step.kind == Step::Short || step.kind == Step::Long)
                size = otherSize(script, t.width, t.height, step.kind == Step::Short);
            packed = packFrame(compose(picture, size.first, size.second, kFill, kMaxScale), t.format);
        }
        frames.steps.push_back(std::move(packed));
    }
    return frames;
}

void CapturePin::stream() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const Script& script = *script_;
    const Frames frames = prepare(script, current_);
    const long long period = 1000000 / script.fps;
    const long long started = tolvira::e2e::nowMicroseconds();
    long long frameNumber = 0, stepEnds = 0;
    size_t step = 0;
    bool stepNoted = false;
    note(script, "streaming");
    for (;;) {
        const long long due = started + frameNumber * period;
        const long long wait = (due - tolvira::e2e::nowMicroseconds()) / 1000;
        if (WaitForSingleObject(stop_, wait > 0 ? static_cast<DWORD>(wait) : 0) == WAIT_OBJECT_0) break;
        const long long now = tolvira::e2e::nowMicroseconds();
        // Which step this frame belongs to.
        for (;;) {
            if (step >= script.steps.size()) break;
            const Step& s = script.steps[step];
            if (s.kind == Step::Loop) {
                step = 0;
                stepEnds = 0;
                continue;
            }
            if (s.kind == Step::Wait || s.kind == Step::Hold) {
                const std::string& file = s.kind == Step::Wait ? s.path : s.until;
                if (GetFileAttributesW(besideDll(file).c_str()) == INVALID_FILE_ATTRIBUTES) {
                    if (!stepEnds) {
                        stepEnds = 1;  // entered
                        stepNoted = false;
                    }
                    break;
                }
                ++step;
                stepEnds = 0;
                continue;
            }
            if (!stepEnds) {
                stepEnds = now + s.ms * 1000LL;
                stepNoted = false;
            }
            if (now < stepEnds) break;
            ++step;
            stepEnds = 0;
        }
        const bool inStep = step < script.steps.size() && script.steps[step].kind != Step::Wait;
        const std::vector<uint8_t>& data =
            inStep && !frames.steps[step].empty() ? frames.steps[step] : frames.blank;
        IMediaSample* sample = nullptr;
        if (FAILED(allocator_->GetBuffer(&sample, nullptr, nullptr, 0))) break;
        BYTE* buffer = nullptr;
        sample->GetPointer(&buffer);
        const size_t n = std::min(data.size(), static_cast<size_t>(sample->GetSize()));
        memcpy(buffer, data.data(), n);
        sample->SetActualDataLength(static_cast<long>(n));
        sample->SetTime(nullptr, nullptr);
        sample->SetSyncPoint(TRUE);
        if (inStep && !stepNoted) {
            const Step& s = script.steps[step];
            static const char* const kinds[] = {"show", "short", "long", "blank", "wait", "loop", "hold"};
            note(script, std::string(kinds[s.kind]) + " " + std::to_string(step) + " frame " +
                             std::to_string(frameNumber) + " bytes " + std::to_string(n) + " " + s.path);
            stepNoted = true;
        }
        const HRESULT hr = input_->Receive(sample);
        sample->Release();
        ++frameNumber;
        if (hr != S_OK) {
            note(script, "downstream refused a frame: " + std::to_string(static_cast<long>(hr)));
            break;
        }
    }
    note(script, "stopped after " + std::to_string(frameNumber) + " frames");
    CoUninitialize();
}

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* camera = new Camera;
        const HRESULT hr = camera->QueryInterface(iid, out);
        camera->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? ++gLocks : --gLocks;
        return S_OK;
    }
};
Factory gFactory;

LSTATUS setString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::wstring guidText(const GUID& g) {
    wchar_t text[40];
    StringFromGUID2(g, text, 40);
    return text;
}

HRESULT registerServer() {
    wchar_t path[MAX_PATH * 4];
    GetModuleFileNameW(gModule, path, MAX_PATH * 4);
    const Script script = loadScript();
    const std::wstring name = widen(script.name);
    HKEY key = nullptr;
    const std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsidText;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, (clsidKey + L"\\InprocServer32").c_str(), 0, nullptr, 0,
                        KEY_WRITE, nullptr, &key, nullptr))
        return SELFREG_E_CLASS;
    setString(key, nullptr, path);
    setString(key, L"ThreadingModel", L"Both");
    RegCloseKey(key);

    IFilterMapper2* mapper = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                  reinterpret_cast<void**>(&mapper));
    if (FAILED(hr)) return hr;
    REGPINTYPES type{&MEDIATYPE_Video, &MEDIASUBTYPE_NULL};
    REGFILTERPINS2 pin{};
    pin.dwFlags = REG_PINFLAG_B_OUTPUT;
    pin.cInstances = 1;
    pin.nMediaTypes = 1;
    pin.lpMediaType = &type;
    pin.clsPinCategory = &kPinCategoryCapture;
    REGFILTER2 filter{};
    filter.dwVersion = 2;
    filter.dwMerit = MERIT_DO_NOT_USE;
    filter.cPins2 = 1;
    filter.rgPins2 = &pin;
    hr = mapper->RegisterFilter(kClsid, name.c_str(), nullptr, &CLSID_VideoInputDeviceCategory, kClsidText,
                                &filter);
    mapper->Release();
    if (FAILED(hr) || script.devicePath.empty()) return hr;
    // What a driver's device carries and a filter registered this way lacks.
    const std::wstring instance = L"CLSID\\" + guidText(CLSID_VideoInputDeviceCategory) + L"\\Instance\\" + kClsidText;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, instance.c_str(), 0, KEY_WRITE, &key)) return SELFREG_E_CLASS;
    setString(key, L"DevicePath", widen(script.devicePath));
    RegCloseKey(key);
    return S_OK;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        gModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (clsid != kClsid) {
        *out = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return gFactory.QueryInterface(iid, out);
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return gObjects == 0 && gLocks == 0 ? S_OK : S_FALSE;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const HRESULT hr = registerServer();
    if (SUCCEEDED(init)) CoUninitialize();
    return hr;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IFilterMapper2* mapper = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                  reinterpret_cast<void**>(&mapper));
    if (SUCCEEDED(hr)) {
        hr = mapper->UnregisterFilter(&CLSID_VideoInputDeviceCategory, kClsidText, kClsid);
        mapper->Release();
    }
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kClsidText).c_str());
    if (SUCCEEDED(init)) CoUninitialize();
    return hr;
}

}  // extern "C"
