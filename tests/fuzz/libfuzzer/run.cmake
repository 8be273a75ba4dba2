# Runs one libFuzzer target over its checked-in seeds, then mutates for
# SECONDS. New inputs go to WORK_DIR (emptied first when FRESH), never into
# the checked-in corpus; a crash leaves its input in WORK_DIR/../artifacts/.
#
#   cmake -DTARGET=NAME -DPROGRAM=EXE -DSOURCE_DIR=TREE -DWORK_DIR=DIR
#         -DSECONDS=N [-DFRESH=ON] -P tests/fuzz/libfuzzer/run.cmake
foreach(var TARGET PROGRAM SOURCE_DIR WORK_DIR SECONDS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} not given")
  endif()
endforeach()

set(here "${SOURCE_DIR}/tests/fuzz/libfuzzer")
set(corpus "${SOURCE_DIR}/tests/fuzz/corpus/${TARGET}")
if(NOT IS_DIRECTORY "${corpus}")
  message(FATAL_ERROR "no seed corpus at ${corpus}")
endif()

set(max_len 4096)
file(STRINGS "${here}/max_len.txt" lines REGEX "^${TARGET} ")
if(lines)
  string(REGEX REPLACE "^${TARGET} +" "" max_len "${lines}")
endif()

if(FRESH)
  file(REMOVE_RECURSE "${WORK_DIR}")
endif()
get_filename_component(artifacts "${WORK_DIR}/../artifacts/${TARGET}" ABSOLUTE)
file(MAKE_DIRECTORY "${WORK_DIR}" "${artifacts}")

# -timeout: one input taking seconds is a hang; -rss_limit_mb: the machine
# is shared with builds and Wine; -max_total_time bounds the run, while
# reading the seeds first is never cut short.
set(args -max_len=${max_len} -timeout=10 -rss_limit_mb=1024 -max_total_time=${SECONDS}
         -print_final_stats=1 -artifact_prefix=${artifacts}/)
if(EXISTS "${here}/${TARGET}.dict")
  list(APPEND args -dict=${here}/${TARGET}.dict)
endif()
execute_process(COMMAND "${PROGRAM}" ${args} "${WORK_DIR}" "${corpus}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "fuzz target ${TARGET} failed (${result}); its input is in ${artifacts}/")
endif()
