// zbarimg's picture reading over the Windows Imaging Component. Every frame goes through 32-bit
// BGRA (Wine's WIC cannot turn a 1-bit PNG straight into grey) and the grey is made here, over
// white where the picture is transparent, as a viewer shows it.
#include "wand/wand_api.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <wincodec.h>
#include <windows.h>

namespace {

template <typename T> void release(T *&p) {
    if (p) p->Release();
    p = nullptr;
}

char *copy_text(const char *text) {
    size_t n = std::strlen(text) + 1;
    char *copy = static_cast<char *>(std::malloc(n));
    if (copy) std::memcpy(copy, text, n);
    return copy;
}

} // namespace

struct MagickWand {
    IWICImagingFactory *factory = nullptr;
    IWICBitmapDecoder *decoder = nullptr;
    IWICBitmapFrameDecode *frame = nullptr;
    UINT frames = 0;
    ExceptionType severity = UndefinedException;
    char message[600] = "";
};

static unsigned int fail(MagickWand *wand, ExceptionType severity, const char *what,
                         const char *name, HRESULT hr) {
    wand->severity = severity;
    std::snprintf(wand->message, sizeof wand->message, "%s `%s' (0x%08lX)", what, name,
                  static_cast<unsigned long>(hr));
    return 0;
}

extern "C" void InitializeMagick(const char *) { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }

extern "C" void DestroyMagick(void) { CoUninitialize(); }

extern "C" MagickWand *NewMagickWand(void) {
    MagickWand *wand = static_cast<MagickWand *>(std::calloc(1, sizeof(MagickWand)));
    if (wand) new (wand) MagickWand();
    return wand;
}

extern "C" void DestroyMagickWand(MagickWand *wand) {
    if (!wand) return;
    release(wand->frame);
    release(wand->decoder);
    release(wand->factory);
    wand->~MagickWand();
    std::free(wand);
}

extern "C" unsigned int MagickReadImage(MagickWand *wand, const char *filename) {
    release(wand->frame);
    release(wand->decoder);
    wand->frames = 0;
    // The command line reaches zbarimg in the ANSI code page.
    WCHAR path[MAX_PATH * 4];
    if (!MultiByteToWideChar(CP_ACP, 0, filename, -1, path, MAX_PATH * 4))
        return fail(wand, ErrorException, "unable to open image", filename,
                    HRESULT_FROM_WIN32(GetLastError()));
    HRESULT hr = S_OK;
    if (!wand->factory)
        hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void **>(&wand->factory));
    if (FAILED(hr)) return fail(wand, FatalErrorException, "no imaging component for", filename, hr);
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
        return fail(wand, ErrorException, "unable to open image", filename,
                    HRESULT_FROM_WIN32(GetLastError()));
    hr = wand->factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &wand->decoder);
    if (FAILED(hr)) return fail(wand, ErrorException, "no decode delegate for this image format", filename, hr);
    hr = wand->decoder->GetFrameCount(&wand->frames);
    if (FAILED(hr) || wand->frames == 0)
        return fail(wand, ErrorException, "no image in", filename, hr);
    return MagickSetImageIndex(wand, 0);
}

extern "C" unsigned long MagickGetNumberImages(MagickWand *wand) { return wand->frames; }

extern "C" unsigned int MagickSetImageIndex(MagickWand *wand, long index) {
    release(wand->frame);
    if (!wand->decoder || index < 0 || static_cast<UINT>(index) >= wand->frames)
        return fail(wand, ErrorException, "no such frame in", "image", E_INVALIDARG);
    HRESULT hr = wand->decoder->GetFrame(static_cast<UINT>(index), &wand->frame);
    if (FAILED(hr)) return fail(wand, ErrorException, "unable to read frame of", "image", hr);
    return 1;
}

static UINT frame_size(MagickWand *wand, bool width) {
    UINT w = 0, h = 0;
    if (wand->frame) wand->frame->GetSize(&w, &h);
    return width ? w : h;
}

extern "C" unsigned long MagickGetImageWidth(MagickWand *wand) { return frame_size(wand, true); }

extern "C" unsigned long MagickGetImageHeight(MagickWand *wand) { return frame_size(wand, false); }

extern "C" unsigned int MagickGetImagePixels(MagickWand *wand, long x, long y,
                                             unsigned long columns, unsigned long rows,
                                             const char *map, StorageType storage,
                                             unsigned char *pixels) {
    if (!wand->frame || std::strcmp(map, "I") != 0 || storage != CharPixel || x < 0 || y < 0)
        return fail(wand, ErrorException, "unsupported pixel request for", "image", E_INVALIDARG);
    IWICFormatConverter *converter = nullptr;
    HRESULT hr = wand->factory->CreateFormatConverter(&converter);
    if (SUCCEEDED(hr))
        hr = converter->Initialize(wand->frame, GUID_WICPixelFormat32bppBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
    BYTE *bgra = nullptr;
    const UINT stride = static_cast<UINT>(columns) * 4;
    if (SUCCEEDED(hr)) {
        bgra = static_cast<BYTE *>(std::malloc(static_cast<size_t>(stride) * rows));
        if (!bgra) hr = E_OUTOFMEMORY;
    }
    if (SUCCEEDED(hr)) {
        WICRect rect = {static_cast<INT>(x), static_cast<INT>(y), static_cast<INT>(columns),
                        static_cast<INT>(rows)};
        hr = converter->CopyPixels(&rect, stride, stride * static_cast<UINT>(rows), bgra);
    }
    release(converter);
    if (FAILED(hr)) {
        std::free(bgra);
        return fail(wand, ErrorException, "unable to read pixels of", "image", hr);
    }
    const size_t count = static_cast<size_t>(columns) * rows;
    for (size_t i = 0; i < count; ++i) {
        const BYTE *p = bgra + i * 4;
        // Rec. 601 luma, as GraphicsMagick's intensity.
        unsigned grey = (p[0] * 1868u + p[1] * 9617u + p[2] * 4899u + 8192u) >> 14;
        unsigned alpha = p[3];
        pixels[i] = static_cast<unsigned char>((grey * alpha + 255u * (255u - alpha) + 127u) / 255u);
    }
    std::free(bgra);
    return 1;
}

extern "C" char *MagickGetException(MagickWand *wand, ExceptionType *severity) {
    *severity = wand->severity;
    return copy_text(wand->message);
}

extern "C" void MagickRelinquishMemory(void *memory) { std::free(memory); }
