# The skin, icon, test pattern and cursor, generated from code at build time.
#
# tools/make_resources.py draws them; it needs Python 3 and the qrencode tool (libqrencode).
# On Windows with MSVC both must be on PATH; rc.exe then compiles the configured .rc.

find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(TOLVIRA_QRENCODE qrencode REQUIRED)

set(TOLVIRA_RESOURCE_TOOL ${PROJECT_SOURCE_DIR}/tools/make_resources.py)
set(TOLVIRA_RESOURCE_NAMES app.ico hand.cur skin.bmp testpattern.bmp)

if(WIN32)
  # Language enabling is not allowed inside a function.
  enable_language(RC)
endif()

function(tolvira_add_resources target)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/resources)
  list(TRANSFORM TOLVIRA_RESOURCE_NAMES PREPEND ${out}/ OUTPUT_VARIABLE generated)
  add_custom_command(
    OUTPUT ${generated}
    COMMAND ${Python3_EXECUTABLE} ${TOLVIRA_RESOURCE_TOOL} ${out} --qrencode ${TOLVIRA_QRENCODE}
    DEPENDS ${TOLVIRA_RESOURCE_TOOL} ${PROJECT_SOURCE_DIR}/resources/Geometry.h
    COMMENT "Drawing the skin, icon, test pattern and cursor"
    VERBATIM)

  set(TOLVIRA_RESOURCE_DIR ${out})
  set(TOLVIRA_RESOURCE_HEADER ${PROJECT_SOURCE_DIR}/resources/resource.h)
  set(TOLVIRA_MANIFEST ${PROJECT_SOURCE_DIR}/resources/Tolvira.manifest)
  set(tweak ${PROJECT_VERSION_TWEAK})
  if(tweak STREQUAL "")
    set(tweak 0)
  endif()
  set(version ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH} ${tweak})
  list(JOIN version "," TOLVIRA_VERSION_COMMAS)
  list(JOIN version "." TOLVIRA_VERSION_DOTS)
  configure_file(${PROJECT_SOURCE_DIR}/resources/Tolvira.rc.in ${out}/Tolvira.rc @ONLY)

  # The resource compiler reports no dependencies on the files it embeds.
  set_source_files_properties(${out}/Tolvira.rc PROPERTIES
    OBJECT_DEPENDS "${generated};${TOLVIRA_RESOURCE_HEADER};${TOLVIRA_MANIFEST}")
  target_sources(${target} PRIVATE ${out}/Tolvira.rc)
endfunction()

# Native builds check the generated files with the real decoder and a byte-level reader.
function(tolvira_add_resource_tests)
  find_program(TOLVIRA_ZBARIMG zbarimg)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/resource-tests)
  set(check ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/resources/check_resources.py)

  add_test(NAME resources_generate
    COMMAND ${Python3_EXECUTABLE} ${TOLVIRA_RESOURCE_TOOL} ${out}/first
            --qrencode ${TOLVIRA_QRENCODE})
  set_tests_properties(resources_generate PROPERTIES FIXTURES_SETUP tolvira_resources)

  add_test(NAME resources_reproducible
    COMMAND ${check} reproducible ${out}/first ${out}/second
            --tool ${TOLVIRA_RESOURCE_TOOL} --qrencode ${TOLVIRA_QRENCODE})
  add_test(NAME resources_test_pattern_decodes
    COMMAND ${check} test-pattern ${out}/first --zbarimg ${TOLVIRA_ZBARIMG})
  add_test(NAME resources_skin COMMAND ${check} skin ${out}/first)
  add_test(NAME resources_icon_and_cursor COMMAND ${check} icon-and-cursor ${out}/first)
  set_tests_properties(resources_reproducible resources_test_pattern_decodes resources_skin
    resources_icon_and_cursor PROPERTIES FIXTURES_REQUIRED tolvira_resources)
endfunction()

if(NOT WIN32)
  enable_testing()
  tolvira_add_resource_tests()
endif()
