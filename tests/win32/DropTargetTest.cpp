#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/DropTarget.h"
#include "platform/win32/Handle.h"
#include "tests/win32/Win32TestSupport.h"

namespace tolvira::win32::test {
namespace {

// A file list as Explorer hands it over: DROPFILES, then the wide paths, then one more NUL.
HGLOBAL fileList(const std::wstring& path) {
    const size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), path.c_str(),
                path.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return memory;
}

// A drag source's data object holding one file, handed over in the medium it chooses.
class FileData final : public IDataObject {
  public:
    FileData(std::wstring path, DWORD tymed) : path_(std::move(path)), tymed_(tymed) {}
    ~FileData() {
        if (kept_) GlobalFree(kept_);
    }
    FileData(const FileData&) = delete;
    FileData& operator=(const FileData&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *object = static_cast<IDataObject*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (format->cfFormat != CF_HDROP) return DV_E_FORMATETC;
        *medium = {};
        medium->tymed = tymed_;
        medium->hGlobal = fileList(path_);
        // A medium of another kind is the caller's to leave alone, so it is freed here.
        if (tymed_ != TYMED_HGLOBAL) kept_ = medium->hGlobal;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return format->cfFormat == CF_HDROP ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

  private:
    std::wstring path_;
    DWORD tymed_;
    HGLOBAL kept_ = nullptr;
};

class DropTargetTest : public ::testing::Test {
  protected:
    const OleSession ole;
    const TestWindow window{L"Tolvira drop target test"};
    std::vector<std::vector<std::string>> drops;
    DropTarget target{window.get(),
                      [this](const std::vector<std::string>& files) { drops.push_back(files); }};
};

TEST_F(DropTargetTest, TheReferenceTheRegistrationTookIsCounted) {
    ASSERT_TRUE(window.get());
    EXPECT_GE(target.references(), 1u);
}

TEST_F(DropTargetTest, ASourceThatAllowsOnlyMoveOrLinkIsTakenAndNeverToldItMoved) {
    FileData data(L"D:\\photo.png", TYMED_HGLOBAL);
    const POINTL at{10, 10};
    for (const DWORD allowed :
         {DWORD{DROPEFFECT_MOVE}, DWORD{DROPEFFECT_LINK}, DWORD{DROPEFFECT_MOVE | DROPEFFECT_LINK},
          DWORD{DROPEFFECT_COPY | DROPEFFECT_MOVE}}) {
        DWORD effect = allowed;
        ASSERT_EQ(target.DragEnter(&data, MK_LBUTTON, at, &effect), S_OK);
        EXPECT_NE(effect, DWORD{DROPEFFECT_NONE}) << allowed;
        EXPECT_EQ(effect & ~allowed, 0u) << "only what the source allows: " << allowed;
        effect = allowed;
        target.DragOver(MK_LBUTTON, at, &effect);
        EXPECT_NE(effect, DWORD{DROPEFFECT_NONE}) << allowed;
        effect = allowed;
        ASSERT_EQ(target.Drop(&data, 0, at, &effect), S_OK);
        EXPECT_NE(effect, DWORD{DROPEFFECT_MOVE}) << "the source would delete the picture";
    }
    ASSERT_EQ(drops.size(), 4u);
    for (const auto& files : drops) EXPECT_EQ(files, std::vector<std::string>{"D:\\photo.png"});
}

TEST_F(DropTargetTest, AMediumOtherThanGlobalMemoryGivesNoFiles) {
    FileData global(L"D:\\photo.png", TYMED_HGLOBAL);
    EXPECT_EQ(droppedFiles(&global), std::vector<std::string>{"D:\\photo.png"});
    FileData other(L"D:\\photo.png", TYMED_NULL);
    EXPECT_TRUE(droppedFiles(&other).empty());
}

}  // namespace
}  // namespace tolvira::win32::test
