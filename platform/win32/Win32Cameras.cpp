#include "platform/win32/Win32Cameras.h"

#include <windows.h>

#include <dshow.h>

#include "platform/win32/Text.h"

namespace tolvira::win32 {

namespace {

// One COM interface pointer, released once.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (p_) p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T** out() { return &p_; }
    void** outVoid() { return reinterpret_cast<void**>(&p_); }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// COM on this thread for the scope, unless the thread already has it in another mode.
class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT hr_;
};

class Variant {
public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* get() { return &v_; }
    std::wstring text() const { return V_VT(&v_) == VT_BSTR && V_BSTR(&v_) ? V_BSTR(&v_) : L""; }

private:
    VARIANT v_;
};

std::string friendlyName(IMoniker* device) {
    ComRef<IPropertyBag> bag;
    if (FAILED(device->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.outVoid()))) return {};
    Variant name;
    if (FAILED(bag->Read(L"FriendlyName", name.get(), nullptr))) return {};
    return narrow(name.text());
}

}  // namespace

std::vector<std::string> listCameras() {
    ComScope com;
    std::vector<std::string> names;
    ComRef<ICreateDevEnum> devices;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                devices.outVoid())))
        return names;
    ComRef<IEnumMoniker> list;
    // S_FALSE and no list: the category is empty.
    if (devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, list.out(), 0) != S_OK || !list)
        return names;
    for (;;) {
        ComRef<IMoniker> device;
        if (list->Next(1, device.out(), nullptr) != S_OK) break;
        names.push_back(friendlyName(device.get()));
    }
    return names;
}

}  // namespace tolvira::win32
