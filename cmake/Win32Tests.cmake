# Unit tests of the Win32 services, run under Wine.
if(NOT (MINGW AND CMAKE_CROSSCOMPILING))
  return()
endif()

enable_testing()

# GoogleTest from Debian's source, built for Windows; its own warnings are not ours.
set(TOLVIRA_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(${TOLVIRA_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(target gtest gtest_main gmock gmock_main)
  target_compile_options(${target} PRIVATE -w)
endforeach()

# A tiny child that reports the arguments it was given.
add_executable(echo_args tests/win32/echo_args.cpp)
target_compile_definitions(echo_args PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_options(echo_args PRIVATE -municode -static)
tolvira_warnings(echo_args)

file(GLOB TOLVIRA_WIN32_TEST_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/win32/*Test.cpp)
# The iconv built into ZBar's tools, tested here under Wine too.
enable_language(C)
add_library(tolvira_zbar_iconv STATIC third_party/zbar/iconv/iconv.c)
add_executable(tolvira_win32_tests ${TOLVIRA_WIN32_TEST_SOURCES})
target_link_libraries(tolvira_win32_tests PRIVATE tolvira_zbar_iconv)
target_link_libraries(tolvira_win32_tests PRIVATE tolvira_win32 gtest_main)
target_link_options(tolvira_win32_tests PRIVATE -static)
tolvira_warnings(tolvira_win32_tests)
add_dependencies(tolvira_win32_tests echo_args)

find_program(TOLVIRA_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(TOLVIRA_WINE)
  add_test(NAME win32_services
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/tests/win32/run-under-wine.sh ${TOLVIRA_WINE}
            $<TARGET_FILE:tolvira_win32_tests>)
  # The bench's camera, registered by the camera list's test in the test's own prefix.
  set_tests_properties(win32_services PROPERTIES TIMEOUT 300
    ENVIRONMENT "TOLVIRA_VIRTUAL_CAMERA=$<TARGET_FILE:tolvira_virtual_camera>")
  add_dependencies(tolvira_win32_tests tolvira_virtual_camera)
endif()
