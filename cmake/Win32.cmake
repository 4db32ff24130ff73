# Windows: Tolvira.exe, and (cross-built) the engines and end-to-end tests run under Wine.
# The whole backend but the entry point: the program, its Windows-side tests and the test
# tools all build on it.
add_library(tolvira_win32 STATIC
  platform/win32/ControlMirror.cpp
  platform/win32/DragGesture.cpp
  platform/win32/DropTarget.cpp
  platform/win32/FolderWatch.cpp
  platform/win32/MainWindow.cpp
  platform/win32/OptionsWindowHost.cpp
  platform/win32/Text.cpp
  platform/win32/Win32Cameras.cpp
  platform/win32/Win32Timing.cpp
  platform/win32/Win32Children.cpp
  platform/win32/Win32Clipboard.cpp
  platform/win32/Win32Clock.cpp
  platform/win32/Win32Dialogs.cpp
  platform/win32/Win32Files.cpp
  platform/win32/Win32HotKey.cpp
  platform/win32/Win32Keyboard.cpp
  platform/win32/Win32Lifecycle.cpp
  platform/win32/Win32OtherWindows.cpp
  platform/win32/Win32Processes.cpp
  platform/win32/Win32Registry.cpp
  platform/win32/Win32ScreenCapture.cpp
  platform/win32/Win32TextCodec.cpp
  platform/win32/Win32Tray.cpp
  platform/win32/Win32Worker.cpp
)
target_link_libraries(tolvira_win32 PUBLIC tolvira_core
  user32 gdi32 shell32 ole32 oleaut32 strmiids comctl32 uxtheme version)
target_compile_definitions(tolvira_win32 PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
tolvira_warnings(tolvira_win32)

add_executable(Tolvira WIN32 platform/win32/WinMain.cpp)
target_link_libraries(Tolvira PRIVATE tolvira_win32)
tolvira_warnings(Tolvira)
if(MINGW)
  target_link_options(Tolvira PRIVATE -municode -static)
endif()
tolvira_add_resources(Tolvira)

include(cmake/Zbar.cmake)
include(cmake/Win32Tests.cmake)
include(cmake/DmtxTests.cmake)
include(cmake/EndToEnd.cmake)
include(cmake/Demo.cmake)

# The release ZIP.
include(cmake/Package.cmake)
