#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "platform/win32/Win32Cameras.h"
#include "tests/win32/Win32TestSupport.h"

namespace tolvira::win32::test {
namespace {

// The bench's virtual camera (tests/camera/VirtualCamera.cpp), registered in this throwaway
// prefix under a name of the test's choosing for the fixture's lifetime.
class RegisteredCamera {
  public:
    RegisteredCamera(const ScratchFolder& scratch, const std::string& name) {
        const char* built = std::getenv("TOLVIRA_VIRTUAL_CAMERA");
        if (!built) return;
        std::string source = built;
        if (source.front() == '/') {  // a Unix path: drive Z: under Wine
            std::replace(source.begin(), source.end(), '/', '\\');
            source = "Z:" + source;
        }
        const std::string dll = scratch / "VirtualCamera.dll";
        if (!CopyFileW(widen(source).c_str(), widen(dll).c_str(), FALSE)) return;
        if (!writeFile(scratch / "VirtualCamera.txt", "name=" + name + "\r\n")) return;
        module_ = LoadLibraryW(widen(dll).c_str());
        registered_ = SUCCEEDED(call("DllRegisterServer"));
    }
    ~RegisteredCamera() {
        if (registered_) call("DllUnregisterServer");
        if (module_) FreeLibrary(module_);
    }
    RegisteredCamera(const RegisteredCamera&) = delete;
    RegisteredCamera& operator=(const RegisteredCamera&) = delete;

    bool registered() const { return registered_; }

  private:
    HRESULT call(const char* entry) {
        using Entry = HRESULT(STDAPICALLTYPE*)();
        const auto f = module_ ? reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module_, entry))) : nullptr;
        return f ? f() : E_FAIL;
    }

    HMODULE module_ = nullptr;
    bool registered_ = false;
};

TEST(Cameras, ARegisteredCameraIsListedUnderItsNameUntilItIsRemoved) {
    ASSERT_NE(std::getenv("TOLVIRA_VIRTUAL_CAMERA"), nullptr) << "the build sets the DLL's path";
    const std::string names[] = {"Tolvira Virtual Camera", "测试摄像头 (USB 2.0) – Ünïcode"};
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        const auto before = listCameras();
        {
            ScratchFolder scratch;
            RegisteredCamera camera(scratch, name);
            ASSERT_TRUE(camera.registered());
            const auto listed = listCameras();
            EXPECT_EQ(listed.size(), before.size() + 1);
            EXPECT_EQ(std::count(listed.begin(), listed.end(), name), 1);
        }
        EXPECT_EQ(listCameras(), before);
    }
}

// The engine numbers the devices in the system's order; with the bench's camera as the only one
// it is camera 0, the number the end-to-end camera test starts the engine with.
TEST(Cameras, TheOnlyCameraIsCameraZero) {
    ScratchFolder scratch;
    ASSERT_TRUE(listCameras().empty()) << "this prefix has cameras of its own";
    RegisteredCamera camera(scratch, "Camera Zero");
    ASSERT_TRUE(camera.registered());
    EXPECT_EQ(listCameras(), std::vector<std::string>{"Camera Zero"});
}

}  // namespace
}  // namespace tolvira::win32::test
