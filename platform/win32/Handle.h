#pragma once
// Every owner of a system handle or session, so each is given back exactly once. None can be
// copied.
#include <windows.h>
// After windows.h, which they need.
#include <ole2.h>

#include <type_traits>
#include <utility>
#include <vector>

namespace tolvira::win32 {

// Owns one handle of type T, given back with `close`. The null handle is none, and for kernel
// handles INVALID_HANDLE_VALUE too, since some calls fail with one and some with the other.
template <class T, auto close>
class Owner {
  public:
    Owner() = default;
    explicit Owner(T handle) : handle_(handle) {}
    ~Owner() { reset(); }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    Owner(Owner&& other) noexcept : handle_(other.release()) {}
    Owner& operator=(Owner&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    T get() const { return handle_; }
    explicit operator bool() const {
        if constexpr (std::is_same_v<T, HANDLE>) {
            if (handle_ == INVALID_HANDLE_VALUE) return false;
        }
        return handle_ != T{};
    }
    // For a call that hands the handle back through a pointer.
    T* out() {
        reset();
        return &handle_;
    }
    // The caller, or the system, owns it from now on.
    T release() { return std::exchange(handle_, T{}); }
    void reset(T handle = T{}) {
        if (*this) close(handle_);
        handle_ = handle;
    }

  private:
    T handle_{};
};

using UniqueHandle = Owner<HANDLE, CloseHandle>;
using FindHandle = Owner<HANDLE, FindClose>;
using ChangeNotification = Owner<HANDLE, FindCloseChangeNotification>;
using UniqueKey = Owner<HKEY, RegCloseKey>;
using Font = Owner<HFONT, DeleteObject>;
using Brush = Owner<HBRUSH, DeleteObject>;
using Bitmap = Owner<HBITMAP, DeleteObject>;
using Window = Owner<HWND, DestroyWindow>;
// Once SetClipboardData took it, release() it: the system owns it then.
using GlobalMemory = Owner<HGLOBAL, GlobalFree>;
// A name in the global atom table, which other processes can read.
using GlobalAtom = Owner<ATOM, GlobalDeleteAtom>;

// A registered window class, unregistered again at the end.
class WindowClass {
  public:
    WindowClass(HINSTANCE instance, const WNDCLASSEXW& description)
        : instance_(instance), atom_(RegisterClassExW(&description)) {}
    ~WindowClass() {
        if (atom_) UnregisterClassW(MAKEINTATOM(atom_), instance_);
    }
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;

  private:
    HINSTANCE instance_;
    ATOM atom_;
};

// A memory device context holding one bitmap, for copying from it.
class BitmapDc {
  public:
    BitmapDc(HDC like, HBITMAP bitmap)
        : dc_(CreateCompatibleDC(like)), previous_(SelectObject(dc_, bitmap)) {}
    ~BitmapDc() {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    BitmapDc(const BitmapDc&) = delete;
    BitmapDc& operator=(const BitmapDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The clipboard, open for as long as this lives when opening succeeded.
class OpenedClipboard {
  public:
    explicit OpenedClipboard(bool opened) : open_(opened) {}
    ~OpenedClipboard() {
        if (open_) CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    explicit operator bool() const { return open_; }

  private:
    bool open_;
};

// OLE for the calling thread, for as long as this lives.
class OleSession {
  public:
    OleSession() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleSession() {
        if (ok_) OleUninitialize();
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

  private:
    bool ok_;
};

// The attribute list that limits a child's inheritance to the given handles.
class InheritOnly {
  public:
    explicit InheritOnly(std::vector<HANDLE> handles) : handles_(std::move(handles)) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        buffer_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
        if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        list_ = list;
        ready_ =
            UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                      handles_.size() * sizeof(HANDLE), nullptr, nullptr) != FALSE;
    }
    ~InheritOnly() {
        if (list_) DeleteProcThreadAttributeList(list_);
    }
    InheritOnly(const InheritOnly&) = delete;
    InheritOnly& operator=(const InheritOnly&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST get() const { return ready_ ? list_ : nullptr; }

  private:
    std::vector<HANDLE> handles_;
    std::vector<char> buffer_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
    bool ready_ = false;
};

}  // namespace tolvira::win32
