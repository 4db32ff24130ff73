#include "platform/win32/DropTarget.h"

#include <shellapi.h>

#include <utility>

#include "platform/win32/Text.h"

namespace tolvira::win32 {

namespace {

// Every drop is taken, so that a drop without files is reported too, whatever the source
// allows: copy, else link, else move. Copying is all it ever does with the data.
void offerCopy(DWORD* effect) {
    for (const DWORD allowed : {DROPEFFECT_COPY, DROPEFFECT_LINK, DROPEFFECT_MOVE}) {
        if (*effect & allowed) {
            *effect = allowed;
            return;
        }
    }
    *effect = DROPEFFECT_NONE;
}

// What the source is told once the drop is taken: never a move, which would have it delete
// the user's picture.
void reportCopied(DWORD* effect) {
    offerCopy(effect);
    if (*effect == DROPEFFECT_MOVE) *effect = DROPEFFECT_NONE;
}

}  // namespace

std::vector<std::string> droppedFiles(IDataObject* data) {
    std::vector<std::string> files;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (!data || FAILED(data->GetData(&format, &medium))) return files;
    // A source may answer with another kind of medium than asked for.
    const auto drop =
        medium.tymed == TYMED_HGLOBAL ? static_cast<HDROP>(GlobalLock(medium.hGlobal)) : nullptr;
    if (drop) {
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            // No fixed limit: long paths come whole.
            const UINT length = DragQueryFileW(drop, i, nullptr, 0);
            std::wstring path(length + 1, L'\0');
            DragQueryFileW(drop, i, path.data(), length + 1);
            path.resize(length);
            files.push_back(narrow(path));
        }
        GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return files;
}

DropTarget::DropTarget(HWND window, Handler onDrop)
    : window_(window),
      onDrop_(std::move(onDrop)),
      registered_(SUCCEEDED(RegisterDragDrop(window, this))) {}

ULONG DropTarget::references() const {
    return references_;
}

DropTarget::~DropTarget() {
    if (registered_) RevokeDragDrop(window_);
}

HRESULT STDMETHODCALLTYPE DropTarget::QueryInterface(REFIID iid, void** object) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DropTarget::AddRef() {
    return ++references_;
}

ULONG STDMETHODCALLTYPE DropTarget::Release() {
    return --references_;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) {
    offerCopy(effect);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    offerCopy(effect);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragLeave() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    reportCopied(effect);
    // The handler only hands the work on, so the source's drag ends at once.
    onDrop_(droppedFiles(data));
    return S_OK;
}

}  // namespace tolvira::win32
