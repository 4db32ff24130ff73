#pragma once
// Every owner of a system handle or session, so each is given back exactly once. None can be
// copied.
#include <windows.h>
// After windows.h, which they need.
#include <ole2.h>

#include <utility>
#include <vector>

namespace tolvira::win32 {

// Owns one handle; Traits says which value means none, which values are real and how one is
// given back.
template <class Traits>
class Owner {
  public:
    using Type = typename Traits::Type;

    Owner() = default;
    explicit Owner(Type handle) : handle_(handle) {}
    ~Owner() { reset(); }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    Owner(Owner&& other) noexcept : handle_(other.release()) {}
    Owner& operator=(Owner&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Type get() const { return handle_; }
    explicit operator bool() const { return Traits::real(handle_); }
    // For a call that hands the handle back through a pointer.
    Type* out() {
        reset();
        return &handle_;
    }
    // The caller, or the system, owns it from now on.
    Type release() { return std::exchange(handle_, Traits::none()); }
    void reset(Type handle = Traits::none()) {
        if (Traits::real(handle_)) Traits::close(handle_);
        handle_ = handle;
    }

  private:
    Type handle_ = Traits::none();
};

struct KernelHandle {
    using Type = HANDLE;
    static Type none() { return nullptr; }
    // Some calls fail with the null handle, others with INVALID_HANDLE_VALUE.
    static bool real(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(Type h) { CloseHandle(h); }
};
using UniqueHandle = Owner<KernelHandle>;

struct FileSearch {
    using Type = HANDLE;
    static Type none() { return INVALID_HANDLE_VALUE; }
    static bool real(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(Type h) { FindClose(h); }
};
using FindHandle = Owner<FileSearch>;

struct RegistryKey {
    using Type = HKEY;
    static Type none() { return nullptr; }
    static bool real(Type key) { return key != nullptr; }
    static void close(Type key) { RegCloseKey(key); }
};
using UniqueKey = Owner<RegistryKey>;

// A font, a brush or a bitmap.
template <class T>
struct GdiHandle {
    using Type = T;
    static Type none() { return nullptr; }
    static bool real(Type object) { return object != nullptr; }
    static void close(Type object) { DeleteObject(object); }
};
using Font = Owner<GdiHandle<HFONT>>;
using Brush = Owner<GdiHandle<HBRUSH>>;
using Bitmap = Owner<GdiHandle<HBITMAP>>;

struct WindowHandle {
    using Type = HWND;
    static Type none() { return nullptr; }
    static bool real(Type window) { return window != nullptr; }
    static void close(Type window) { DestroyWindow(window); }
};
using Window = Owner<WindowHandle>;

struct MovableMemory {
    using Type = HGLOBAL;
    static Type none() { return nullptr; }
    static bool real(Type memory) { return memory != nullptr; }
    static void close(Type memory) { GlobalFree(memory); }
};
// After SetClipboardData took it, release() it: the system owns it then.
using GlobalMemory = Owner<MovableMemory>;

// A name in the global atom table, which other processes can read.
struct AtomHandle {
    using Type = ATOM;
    static Type none() { return 0; }
    static bool real(Type atom) { return atom != 0; }
    static void close(Type atom) { GlobalDeleteAtom(atom); }
};
using GlobalAtom = Owner<AtomHandle>;

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
    InheritOnly(HANDLE first, HANDLE second) : handles_{first, second} {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        buffer_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
        if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        list_ = list;
        ready_ = UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_,
                                           sizeof handles_, nullptr, nullptr) != FALSE;
    }
    ~InheritOnly() {
        if (list_) DeleteProcThreadAttributeList(list_);
    }
    InheritOnly(const InheritOnly&) = delete;
    InheritOnly& operator=(const InheritOnly&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST get() const { return ready_ ? list_ : nullptr; }

  private:
    HANDLE handles_[2];
    std::vector<char> buffer_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
    bool ready_ = false;
};

}  // namespace tolvira::win32
