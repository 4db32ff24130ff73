# The demo of tools/demo.sh and the start-up baseline of tools/measure_wine.sh: development tools,
# never shipped. Included from the Windows build after cmake/EndToEnd.cmake (tolvira_test_tool).
# The demo's headless run is a test when Wine, Xvfb and the picture tools are there.

if(NOT CMAKE_CROSSCOMPILING)
  return()
endif()

# Its own folder: e2e-tools already holds the scripted zbarcam.exe.
set(TOLVIRA_DEMO_TOOLS ${CMAKE_BINARY_DIR}/demo-tools)
tolvira_test_tool(tolvira_demo_camera OUTPUT_NAME zbarcam SOURCES tools/DemoCamera.cpp)
tolvira_test_tool(tolvira_trivial_window OUTPUT_NAME trivial SOURCES tools/TrivialWindow.cpp)
foreach(tool tolvira_demo_camera tolvira_trivial_window)
  set_target_properties(${tool} PROPERTIES WIN32_EXECUTABLE TRUE
                        RUNTIME_OUTPUT_DIRECTORY ${TOLVIRA_DEMO_TOOLS})
endforeach()
target_link_libraries(tolvira_demo_camera PRIVATE tolvira_win32 user32 gdi32)

if(NOT TOLVIRA_E2E OR NOT TOLVIRA_WINE OR NOT TOLVIRA_WINESERVER OR NOT TOLVIRA_XVFB
   OR NOT TOLVIRA_OPENBOX OR NOT TOLVIRA_ZBARIMG)
  return()
endif()
foreach(tool zbarimg zint qrencode convert import xdotool)
  string(TOUPPER ${tool} upper)
  find_program(TOLVIRA_DEMO_${upper} ${tool})
  if(NOT TOLVIRA_DEMO_${upper})
    message(STATUS "Demo test skipped: ${tool} not found")
    return()
  endif()
endforeach()

enable_testing()
add_test(NAME demo
  COMMAND bash ${CMAKE_SOURCE_DIR}/tools/demo.sh --headless --prebuilt --check
          --out ${CMAKE_BINARY_DIR}/demo-test)
set_tests_properties(demo PROPERTIES
  TIMEOUT 300
  RUN_SERIAL TRUE
  LABELS demo
  ENVIRONMENT "TOLVIRA_EXE=$<TARGET_FILE:Tolvira>;TOLVIRA_ZBARCAM=$<TARGET_FILE:tolvira_demo_camera>;TOLVIRA_ZBARIMG=${TOLVIRA_ZBARIMG};TOLVIRA_PROBE=$<TARGET_FILE:tolvira_probe>;TOLVIRA_TEST_PATTERN=${CMAKE_BINARY_DIR}/resources/testpattern.bmp;TOLVIRA_WINE=${TOLVIRA_WINE};TOLVIRA_WINESERVER=${TOLVIRA_WINESERVER}")
