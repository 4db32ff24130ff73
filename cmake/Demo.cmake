# The demo of tools/demo.sh and the start-up baseline of tools/measure_wine.sh: development tools,
# never shipped. Included from the Windows build after cmake/EndToEnd.cmake (tolvira_test_tool).
# The demo's headless run is a test when Wine, Xvfb and the picture tools are there.

if(NOT CMAKE_CROSSCOMPILING)
  return()
endif()

# The demo runs ZBar's zbarcam.exe on the bench's virtual camera (cmake/EndToEnd.cmake).
set(TOLVIRA_DEMO_TOOLS ${CMAKE_BINARY_DIR}/demo-tools)
tolvira_test_tool(tolvira_trivial_window OUTPUT_NAME trivial SOURCES tools/TrivialWindow.cpp)
set_target_properties(tolvira_trivial_window PROPERTIES WIN32_EXECUTABLE TRUE
                      RUNTIME_OUTPUT_DIRECTORY ${TOLVIRA_DEMO_TOOLS})

if(NOT TOLVIRA_E2E OR NOT TOLVIRA_WINE OR NOT TOLVIRA_WINESERVER OR NOT TOLVIRA_XVFB
   OR NOT TOLVIRA_OPENBOX OR NOT TOLVIRA_ZBARIMG OR NOT TOLVIRA_ZBARCAM)
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
  ENVIRONMENT "TOLVIRA_EXE=$<TARGET_FILE:Tolvira>;TOLVIRA_ZBARCAM=${TOLVIRA_ZBARCAM};TOLVIRA_VIRTUAL_CAMERA=$<TARGET_FILE:tolvira_virtual_camera>;TOLVIRA_ZBARIMG=${TOLVIRA_ZBARIMG};TOLVIRA_PROBE=$<TARGET_FILE:tolvira_probe>;TOLVIRA_TEST_PATTERN=${CMAKE_BINARY_DIR}/resources/testpattern.bmp;TOLVIRA_WINE=${TOLVIRA_WINE};TOLVIRA_WINESERVER=${TOLVIRA_WINESERVER}")
