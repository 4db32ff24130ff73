# Linux: the logic's unit tests against the fake backend, and the benchmarks.
find_package(GTest REQUIRED)
enable_testing()
include(GoogleTest)

add_library(tolvira_fake STATIC platform/fake/FakePlatform.cpp)
target_link_libraries(tolvira_fake PUBLIC tolvira_core)
tolvira_warnings(tolvira_fake)

file(GLOB TOLVIRA_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*Test.cpp)
add_executable(tolvira_tests ${TOLVIRA_TEST_SOURCES})
target_link_libraries(tolvira_tests PRIVATE tolvira_fake GTest::gtest_main)
# The README's options table is checked against the table of stored options.
target_compile_definitions(tolvira_tests PRIVATE TOLVIRA_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
tolvira_warnings(tolvira_tests)
gtest_discover_tests(tolvira_tests DISCOVERY_TIMEOUT 30)

find_package(benchmark QUIET)
if(benchmark_FOUND AND NOT TOLVIRA_SANITIZE)
  add_executable(tolvira_bench bench/CodePatternBench.cpp bench/DeliveryBench.cpp
                               bench/DuplicatesBench.cpp bench/PollBench.cpp)
  target_link_libraries(tolvira_bench PRIVATE tolvira_fake benchmark::benchmark_main)
  tolvira_warnings(tolvira_bench)
endif()
