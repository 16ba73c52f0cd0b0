# GoogleTest from the distribution's sources, built with whatever compiler this tree uses.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

set(TAVRIK_TEST_RESULTS ${CMAKE_BINARY_DIR}/test-results)

# tavrik_add_test(<name> SOURCES ... [LIBS ...] [LABELS ...])
# One GoogleTest executable, registered as one CTest test whose per-case results
# land in test-results/<name>.xml. Under a cross build CTest runs it through Wine.
function(tavrik_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  # A relative path: under Wine an absolute Unix path is not a Windows path.
  file(RELATIVE_PATH results ${CMAKE_CURRENT_BINARY_DIR} ${TAVRIK_TEST_RESULTS}/${name}.xml)
  add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${results}
           WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
