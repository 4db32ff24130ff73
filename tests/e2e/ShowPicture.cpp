// ShowPicture.exe TITLE PICTURE.bmp [PAINT-MS]: a borderless window TITLE at the screen's
// top-left corner, the size of the picture, painting it whenever asked, as any program shows
// what it holds; each paint takes PAINT-MS more, as a busy program's does. The end-to-end scripts
// put codes on the screen with it.
#include <windows.h>

#include <string>

namespace {

HBITMAP picture = nullptr;
DWORD paintMs = 0;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            Sleep(paintMs);
            PAINTSTRUCT paint{};
            const HDC dc = BeginPaint(window, &paint);
            const HDC memory = CreateCompatibleDC(dc);
            const HGDIOBJ was = SelectObject(memory, picture);
            BITMAP size{};
            GetObjectW(picture, sizeof size, &size);
            BitBlt(dc, 0, 0, size.bmWidth, size.bmHeight, memory, 0, 0, SRCCOPY);
            SelectObject(memory, was);
            DeleteDC(memory);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 && argc != 4) return 2;
    if (argc == 4) paintMs = static_cast<DWORD>(_wtoi(argv[3]));
    picture = static_cast<HBITMAP>(
        LoadImageW(nullptr, argv[2], IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!picture) return 1;
    BITMAP size{};
    GetObjectW(picture, sizeof size, &size);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TolviraShowPicture";
    RegisterClassW(&windowClass);
    const HWND window =
        CreateWindowExW(0, windowClass.lpszClassName, argv[1], WS_POPUP, 0, 0, size.bmWidth,
                        size.bmHeight, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOW);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
