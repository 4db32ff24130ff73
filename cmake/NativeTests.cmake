# Linux: the logic's unit tests against the fake backend, and the benchmarks.
find_package(GTest REQUIRED)
enable_testing()
include(GoogleTest)

add_library(tolvira_fake STATIC platform/fake/FakePlatform.cpp)
target_link_libraries(tolvira_fake PUBLIC tolvira_core)
tolvira_warnings(tolvira_fake)

add_executable(tolvira_tests
  tests/ControlsTest.cpp
  tests/ResultFileReaderTest.cpp
  tests/ResultLineTest.cpp
  tests/ResultPollTest.cpp
  tests/StartupTest.cpp
)
target_link_libraries(tolvira_tests PRIVATE tolvira_fake GTest::gtest_main)
tolvira_warnings(tolvira_tests)
gtest_discover_tests(tolvira_tests DISCOVERY_TIMEOUT 30)

find_package(benchmark QUIET)
if(benchmark_FOUND AND NOT TOLVIRA_SANITIZE)
  add_executable(tolvira_bench bench/PollBench.cpp)
  target_link_libraries(tolvira_bench PRIVATE tolvira_fake benchmark::benchmark_main)
  tolvira_warnings(tolvira_bench)
endif()
