# Linux with clang: libFuzzer targets over the code that parses outside data, each run for a
# short, bounded time as a test. The core is instrumented for coverage and the sanitizers.
option(TOLVIRA_FUZZ "Build the libFuzzer targets and run each briefly as a test (clang)" OFF)
if(NOT TOLVIRA_FUZZ)
  return()
endif()
if(WIN32 OR NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "TOLVIRA_FUZZ needs clang on Linux (libFuzzer)")
endif()

set(TOLVIRA_FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all)
target_compile_options(tolvira_core PUBLIC
  -fsanitize=fuzzer-no-link ${TOLVIRA_FUZZ_SANITIZERS} -fno-omit-frame-pointer)
target_link_options(tolvira_core INTERFACE ${TOLVIRA_FUZZ_SANITIZERS})

set(TOLVIRA_FUZZ_SECONDS 15 CACHE STRING "How long each fuzz target runs as a test")
set(TOLVIRA_FUZZ_RUNS 2000000 CACHE STRING "Most inputs each fuzz target tries as a test")

add_custom_target(tolvira_fuzzers)
foreach(name CodePatternFuzz HistoryFuzz KeystrokesFuzz PollFuzz ResultLineFuzz ResultReaderFuzz
             SettingConversionsFuzz)
  add_executable(${name} tests/fuzz/${name}.cpp)
  target_link_libraries(${name} PRIVATE tolvira_fake)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  tolvira_warnings(${name})
  add_dependencies(tolvira_fuzzers ${name})

  # New inputs go to a corpus in the build tree; the seeds in the source tree are only read.
  set(work ${CMAKE_CURRENT_BINARY_DIR}/fuzz/${name})
  file(MAKE_DIRECTORY ${work}/corpus ${work}/crashes)
  add_test(NAME fuzz.${name}
    COMMAND ${name} -max_total_time=${TOLVIRA_FUZZ_SECONDS} -runs=${TOLVIRA_FUZZ_RUNS}
            -rss_limit_mb=2048 -timeout=10 -print_final_stats=1
            -artifact_prefix=${work}/crashes/
            ${work}/corpus ${CMAKE_CURRENT_SOURCE_DIR}/tests/fuzz/corpus/${name})
  set_tests_properties(fuzz.${name} PROPERTIES LABELS fuzz TIMEOUT 300)
endforeach()
