# End-to-end tests of Tolvira.exe under Wine and Xvfb, with the zbarimg.exe built here, and
# scripted engines where a test needs what the real ones can't show (a camera, a slow decode).
# Included from the Windows build; the engines are always built when cross-compiling, the tests
# are registered only when Wine and Xvfb are there to run them.

function(tolvira_test_tool target)
  cmake_parse_arguments(PARSE_ARGV 1 TOOL "UNICODE" "OUTPUT_NAME" "SOURCES")
  add_executable(${target} ${TOOL_SOURCES})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${TOOL_OUTPUT_NAME}
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/e2e-tools)
  target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  tolvira_warnings(${target})
  if(MINGW)
    target_link_options(${target} PRIVATE -static)
    if(TOOL_UNICODE)
      target_link_options(${target} PRIVATE -municode)
    endif()
  endif()
endfunction()

if(NOT CMAKE_CROSSCOMPILING)
  return()
endif()

tolvira_test_tool(tolvira_scripted_camera OUTPUT_NAME zbarcam
                  SOURCES tests/engines/ScriptedCamera.cpp)
target_link_libraries(tolvira_scripted_camera PRIVATE tolvira_win32)
tolvira_test_tool(tolvira_image_shim UNICODE OUTPUT_NAME zbarimg
                  SOURCES tests/engines/ImageShim.cpp)
target_link_libraries(tolvira_image_shim PRIVATE tolvira_win32)
tolvira_test_tool(tolvira_probe UNICODE OUTPUT_NAME probe SOURCES tests/e2e/Probe.cpp)
target_link_libraries(tolvira_probe PRIVATE tolvira_win32 user32 advapi32)
tolvira_test_tool(tolvira_target_edit UNICODE OUTPUT_NAME TargetEdit
                  SOURCES tests/e2e/TargetEdit.cpp)
target_link_libraries(tolvira_target_edit PRIVATE user32)
tolvira_test_tool(tolvira_show_picture UNICODE OUTPUT_NAME ShowPicture
                  SOURCES tests/e2e/ShowPicture.cpp)
target_link_libraries(tolvira_show_picture PRIVATE user32 gdi32)

# The bench's camera: a DirectShow source filter registered in the test prefix (regsvr32), which
# zbarcam.exe binds as a webcam (tests/camera/VirtualCamera.cpp).
add_library(tolvira_virtual_camera SHARED tests/camera/VirtualCamera.cpp tests/camera/Frames.cpp)
set_target_properties(tolvira_virtual_camera PROPERTIES OUTPUT_NAME VirtualCamera PREFIX ""
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/e2e-tools)
target_compile_definitions(tolvira_virtual_camera PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_include_directories(tolvira_virtual_camera PRIVATE ${CMAKE_SOURCE_DIR})
tolvira_warnings(tolvira_virtual_camera)
target_link_libraries(tolvira_virtual_camera PRIVATE strmiids ole32 oleaut32 uuid windowscodecs)
if(MINGW)
  target_link_options(tolvira_virtual_camera PRIVATE -static)
endif()

# Not a test: how long a capture of the whole screen takes (measure_capture.sh).
tolvira_test_tool(tolvira_capture_time UNICODE OUTPUT_NAME capture-time
                  SOURCES tests/e2e/CaptureTime.cpp)
target_link_libraries(tolvira_capture_time PRIVATE tolvira_win32)

# Not a test: prints what the engine status tick's platform work costs (measure_tick_cost.sh).
tolvira_test_tool(tolvira_tick_cost UNICODE OUTPUT_NAME tick-cost SOURCES tests/e2e/TickCost.cpp)
target_link_libraries(tolvira_tick_cost PRIVATE tolvira_win32 oleaut32 wbemuuid)

# Not a test: how long saving the clipboard before a paste takes (measure_clipboard_save.sh).
tolvira_test_tool(tolvira_clipboard_save_cost UNICODE OUTPUT_NAME clipboard-save-cost
                  SOURCES tests/e2e/ClipboardSaveCost.cpp)
target_link_libraries(tolvira_clipboard_save_cost PRIVATE tolvira_win32)

# Not a test: how long the window's thread stays busy at a stretch (measure_ui_stall.sh).
tolvira_test_tool(tolvira_ui_stall UNICODE OUTPUT_NAME ui-stall SOURCES tests/e2e/UiStall.cpp)
target_link_libraries(tolvira_ui_stall PRIVATE user32)

if(NOT TOLVIRA_E2E)
  return()
endif()
if(NOT TOLVIRA_ZBARIMG)
  message(STATUS "End-to-end tests skipped: ZBar's tools are not built here")
  return()
endif()

find_program(TOLVIRA_WINE NAMES wine64 wine PATHS /usr/lib/wine)
find_program(TOLVIRA_WINESERVER NAMES wineserver64 wineserver PATHS /usr/lib/wine)
find_program(TOLVIRA_XVFB Xvfb)
find_program(TOLVIRA_OPENBOX openbox)
if(NOT TOLVIRA_WINE OR NOT TOLVIRA_WINESERVER OR NOT TOLVIRA_XVFB OR NOT TOLVIRA_OPENBOX)
  message(STATUS "End-to-end tests skipped: wine, wineserver, Xvfb or openbox not found")
  return()
endif()

enable_testing()
file(GLOB TOLVIRA_E2E_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*_test.sh)
foreach(script IN LISTS TOLVIRA_E2E_SCRIPTS)
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME e2e.${name} COMMAND bash ${script})
  set_tests_properties(e2e.${name} PROPERTIES
    TIMEOUT 300
    RUN_SERIAL TRUE
    LABELS e2e
    ENVIRONMENT "TOLVIRA_EXE=$<TARGET_FILE:Tolvira>;TOLVIRA_ZBARCAM=$<TARGET_FILE:tolvira_scripted_camera>;TOLVIRA_ZBARIMG=${TOLVIRA_ZBARIMG};TOLVIRA_IMAGE_SHIM=$<TARGET_FILE:tolvira_image_shim>;TOLVIRA_REAL_ZBARCAM=${TOLVIRA_ZBARCAM};TOLVIRA_PROBE=$<TARGET_FILE:tolvira_probe>;TOLVIRA_VIRTUAL_CAMERA=$<TARGET_FILE:tolvira_virtual_camera>;TOLVIRA_WINE=${TOLVIRA_WINE};TOLVIRA_WINESERVER=${TOLVIRA_WINESERVER}")
endforeach()
# Some twenty drops, each decoded by the real engine under Wine.
if(TEST e2e.picture_test)
  set_tests_properties(e2e.picture_test PROPERTIES TIMEOUT 600)
endif()
