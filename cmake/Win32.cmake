# Windows: Tolvira.exe, and (cross-built) the engines and end-to-end tests run under Wine.
add_executable(Tolvira WIN32
  platform/win32/Text.cpp
)
target_link_libraries(Tolvira PRIVATE tolvira_core)
target_compile_definitions(Tolvira PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
tolvira_warnings(Tolvira)
if(MINGW)
  target_link_options(Tolvira PRIVATE -municode -static)
endif()
tolvira_add_resources(Tolvira)

include(cmake/Win32Tests.cmake)
include(cmake/EndToEnd.cmake)
