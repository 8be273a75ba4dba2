# The layers only ever look down: app/ and ui/ (the programs' windows, tray
# and dialogs) sit on top, and nothing beneath them includes them: not the
# output pipelines (output/), the log (diag/), the glue files nor the portable
# core (render/, settings/, dates/), nor base/.
#
#   cmake -DSOURCE_DIR=<tree> -P tests/layers/look_down.cmake
#
# Lists every offending include and fails when there is one.
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR not given")
endif()

set(lower_folders base settings dates diag render output)
set(upward_include "^[ \t]*#[ \t]*include[ \t]*[\"<](app|ui)/")

set(checked 0)
set(offences)
foreach(folder ${lower_folders})
  if(NOT IS_DIRECTORY "${SOURCE_DIR}/${folder}")
    message(FATAL_ERROR "${SOURCE_DIR}/${folder} is not a folder")
  endif()
  file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}"
       "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.h")
  foreach(f ${files})
    math(EXPR checked "${checked} + 1")
    file(STRINGS "${SOURCE_DIR}/${f}" lines REGEX "${upward_include}")
    foreach(line ${lines})
      string(STRIP "${line}" line)
      list(APPEND offences "${f}: ${line}")
    endforeach()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no sources found under ${SOURCE_DIR}")
endif()
if(offences)
  list(LENGTH offences count)
  string(REPLACE ";" "\n  " listing "${offences}")
  message(FATAL_ERROR "${count} include(s) of app/ or ui/ below them:\n  ${listing}")
endif()
string(REPLACE ";" "/, " folders "${lower_folders}")
message(STATUS "${checked} files of ${folders}/ include nothing from app/ or ui/")
