# Source lists by naming rule, so that a new file lands in the right library:
#   foo.cpp            portable core (no <windows.h>)
#   foo_win.cpp        Windows glue (user32, GDI, registry, profile API, shell)
#   foo_gdiplus.cpp    GDI+ glue
#   foo_qpdf.cpp       qpdf glue, linked into the companion alone
#   foo_poppler.cpp    poppler glue (drawing PDF pages), the companion alone
set(MARKOMI2_SUBSYSTEMS base app settings dates render output ui diag uninstaller)

function(markomi2_core_sources out)
  set(result)
  foreach(dir ${MARKOMI2_SUBSYSTEMS})
    file(GLOB_RECURSE files CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${dir}/*.cpp")
    foreach(f ${files})
      if(NOT f MATCHES "_(win|gdiplus|qpdf|poppler)\\.cpp$")
        list(APPEND result ${f})
      endif()
    endforeach()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

function(markomi2_glue_sources out)
  set(result)
  foreach(dir ${MARKOMI2_SUBSYSTEMS})
    file(GLOB_RECURSE files CONFIGURE_DEPENDS
      "${CMAKE_SOURCE_DIR}/${dir}/*_win.cpp" "${CMAKE_SOURCE_DIR}/${dir}/*_gdiplus.cpp")
    list(APPEND result ${files})
  endforeach()
  # The entry points belong to the programs alone, not to the tests that link the glue.
  list(FILTER result EXCLUDE REGEX "/app/winmain_win\\.cpp$|/uninstaller/uninstaller_main_win\\.cpp$")
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# GoogleTest from Debian's sources, built with whichever compiler this tree uses.
macro(markomi2_add_gtest)
  if(NOT TARGET gtest)
    if(NOT EXISTS "${GTEST_SOURCE_DIR}/CMakeLists.txt")
      message(FATAL_ERROR "GoogleTest sources not found in ${GTEST_SOURCE_DIR} (apt-get install googletest)")
    endif()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory("${GTEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
    include(GoogleTest)
  endif()
endmacro()

# Test programs: their own code is compiled with light optimisation (the code
# under test keeps the tree's flags, and a test's speed is Wine's and GDI's,
# not its own), and GoogleTest's header is parsed once per program. Together
# that halves the time a test file takes to compile.
function(markomi2_test_program target)
  # Under the sanitizers the tree's -O0 stays: optimising instrumented code
  # is what takes the time there, and the sanitized tests run in a second.
  if(NOT MARKOMI2_SANITIZE)
    target_compile_options(${target} PRIVATE $<IF:$<CXX_COMPILER_ID:MSVC>,/O1,-O1>)
  endif()
  target_precompile_headers(${target} PRIVATE <gtest/gtest.h> <cstdint> <string> <vector> ${ARGN})
endfunction()

# The companion's own rules (tools/: its arguments, its JSON replies, the
# diagnosis rules), portable like the core; its glue and main stay with the
# program.
function(markomi2_companion_sources out)
  file(GLOB files CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tools/*.cpp")
  list(FILTER files EXCLUDE REGEX "_(win|gdiplus|qpdf|poppler)\\.cpp$")
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# What the tests share of their own, portable: the EMF reader through which
# they see what a metafile draws.
function(markomi2_test_support_sources out)
  file(GLOB files CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/support/*.cpp")
  set(${out} ${files} PARENT_SCOPE)
endfunction()
