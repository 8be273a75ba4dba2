# Native tree: the portable core and its GoogleTest suite.
markomi2_add_gtest()

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/unit/*_test.cpp")
add_executable(markomi2_unit_tests ${UNIT_TEST_SOURCES})
target_link_libraries(markomi2_unit_tests PRIVATE markomi2_companion_core markomi2_test_support markomi2_core gtest gtest_main)
markomi2_test_program(markomi2_unit_tests)
if(MARKOMI2_SANITIZE)
  # One process for the whole suite: a sanitized process costs a fifth of a
  # second to start, which over each test on its own came to a minute. A
  # fault still names its test in the output.
  add_test(NAME unit.all_sanitized COMMAND markomi2_unit_tests)
else()
  gtest_discover_tests(markomi2_unit_tests DISCOVERY_TIMEOUT 30)
endif()

# Bounded fuzz run over value parsing, normalisation and era building.
file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/fuzz/*.cpp")
if(FUZZ_SOURCES)
  add_executable(markomi2_fuzz ${FUZZ_SOURCES})
  target_link_libraries(markomi2_fuzz PRIVATE markomi2_core)
  # Under the sanitizers every run costs far more; fewer runs still walk every path.
  if(MARKOMI2_SANITIZE)
    set(FUZZ_RUNS 1500)
  else()
    set(FUZZ_RUNS 20000)
  endif()
  add_test(NAME fuzz.core_inputs COMMAND markomi2_fuzz --runs ${FUZZ_RUNS} --seed 20261208)
endif()

# The layers only look down: no folder includes one above it (tests/layers/look_down.cmake).
add_test(NAME layers.look_down
         COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -P ${CMAKE_SOURCE_DIR}/tests/layers/look_down.cmake)
