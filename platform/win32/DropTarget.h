#pragma once
// OLE drag and drop onto one window: every drop is reported with the dropped file list, which
// is empty when the data held none (dragged text, for example).
#include <windows.h>
// After windows.h, which it needs.
#include <ole2.h>

#include <functional>
#include <string>
#include <vector>

namespace tolvira::win32 {

class DropTarget final : public IDropTarget {
  public:
    using Handler = std::function<void(const std::vector<std::string>& files)>;

    // Registers with the window at once and revokes at the end.
    DropTarget(HWND window, Handler onDrop);
    ~DropTarget();
    DropTarget(const DropTarget&) = delete;
    DropTarget& operator=(const DropTarget&) = delete;

    // The owner keeps this alive; OLE's references only need to be counted.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at,
                                   DWORD* effect) override;

  private:
    HWND window_;
    Handler onDrop_;
    bool registered_;
    ULONG references_ = 0;
};

// Every path of the data's file list (CF_HDROP), or none.
std::vector<std::string> droppedFiles(IDataObject* data);

}  // namespace tolvira::win32
