# The layers only ever look down. From the bottom:
#
#   base/      platform helpers
#   diag/      the debug log (plain texts and numbers in, a file out)
#   settings/  the settings record, INI rules and files
#   dates/     eras and date texts (they read the record's date options)
#   render/    geometry, measuring, drawing
#   output/    what is made of a stamp, one room per kind, again from the bottom:
#     canvas/     what every pipeline shares (the working canvas, GDI+ set-up)
#     emf/        the metafile: recording, the project's writer, its checks
#     vector/     SVG and PDF files of the captured drawing
#     raster/     the stamp's picture, bitmap, halving, image files
#     clipboard/  copying the stamp: metafile, bitmap, transparent formats
#     preview/    the settings window's preview
#     pdf_sign/   certificates, signing and checking signatures (CMS, crypt32)
#     pdf_stamp/  stamping PDF documents (its qpdf glue links into the companion)
#   ui/        the settings and preferences windows' pages and dialogs
#   app/       the programs: main window, tray, overlay, start-up
#
# and tools/ (the companion), installer/, uninstaller/, bench/ and tests/
# above them all. A
# folder includes its own files and those of the folders below it, never one
# above; resources/ (identifiers the .rc files share) is no layer.
#
#   cmake -DSOURCE_DIR=<tree> -P tests/layers/look_down.cmake
#
# Lists every offending include and fails when there is one; fails too when a
# folder with sources is neither a layer nor known to sit above them, or a
# source of output/ is in no room of it, so that a new folder cannot slip
# past the rule unnoticed.
cmake_policy(SET CMP0057 NEW)  # if(... IN_LIST ...) in script mode
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR not given")
endif()

set(top_folders tools installer uninstaller bench tests)
# Not code layers: resources/ is included by the windows' glue of every layer.
set(other_folders resources build cmake dist docs help scripts)

# What each layer must not include.
set(layers base diag settings dates render output ui app)
set(forbidden_base     diag settings dates render output ui app ${top_folders})
set(forbidden_diag     settings dates render output ui app ${top_folders})
set(forbidden_settings dates render output ui app ${top_folders})
set(forbidden_dates    render output ui app ${top_folders})
set(forbidden_render   output ui app ${top_folders})
set(forbidden_output   ui app ${top_folders})
set(forbidden_ui       app ${top_folders})
set(forbidden_app      ${top_folders})

# Every folder at the top of the tree that holds sources has a place above.
file(GLOB entries RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*")
foreach(entry ${entries})
  if(NOT IS_DIRECTORY "${SOURCE_DIR}/${entry}" OR entry MATCHES "^\\.")
    continue()
  endif()
  if(entry IN_LIST layers OR entry IN_LIST top_folders OR entry IN_LIST other_folders)
    continue()
  endif()
  file(GLOB_RECURSE stray "${SOURCE_DIR}/${entry}/*.cpp" "${SOURCE_DIR}/${entry}/*.h")
  if(stray)
    message(FATAL_ERROR "${entry}/ holds sources but has no place in the layers "
                        "(tests/layers/look_down.cmake)")
  endif()
endforeach()

set(checked 0)
set(offences)
foreach(folder ${layers})
  if(NOT IS_DIRECTORY "${SOURCE_DIR}/${folder}")
    message(FATAL_ERROR "${SOURCE_DIR}/${folder} is not a folder")
  endif()
  string(REPLACE ";" "|" alternatives "${forbidden_${folder}}")
  # "../" steps cannot climb past the rule either.
  set(upward_include "^[ \t]*#[ \t]*include[ \t]*[\"<](\\.\\./)*(${alternatives})/")
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

# The rooms of output/ look down among themselves too.
set(output_rooms canvas emf vector raster clipboard preview pdf_sign pdf_stamp)
file(GLOB_RECURSE output_files RELATIVE "${SOURCE_DIR}/output"
     "${SOURCE_DIR}/output/*.cpp" "${SOURCE_DIR}/output/*.h")
foreach(f ${output_files})
  string(REGEX MATCH "^[^/]+/" room "${f}")
  string(REGEX REPLACE "/$" "" room "${room}")
  if(NOT room OR NOT room IN_LIST output_rooms)
    message(FATAL_ERROR "output/${f} is in no room of output/ (tests/layers/look_down.cmake)")
  endif()
endforeach()
set(rooms_above ${output_rooms})
foreach(room ${output_rooms})
  list(REMOVE_AT rooms_above 0)
  if(NOT rooms_above)
    break()
  endif()
  string(REPLACE ";" "|" alternatives "${rooms_above}")
  set(upward_include "^[ \t]*#[ \t]*include[ \t]*[\"<](\\.\\./)*output/(${alternatives})/")
  file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}"
       "${SOURCE_DIR}/output/${room}/*.cpp" "${SOURCE_DIR}/output/${room}/*.h")
  foreach(f ${files})
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
  message(FATAL_ERROR "${count} include(s) of a higher layer:\n  ${listing}")
endif()
string(REPLACE ";" " < " order "${layers}")
string(REPLACE ";" " < " room_order "${output_rooms}")
message(STATUS "${checked} files include only their own layer and those below: ${order}; "
               "within output/: ${room_order}")
