# Draws the help's pictures with the companion, from the default settings on
# 1 May 2025 (the date every example of the help uses): design1..7.png, one
# per design, and era1..5.png, the normal design in each way of writing the
# year. Run by the help's build:
#   cmake -DCOMPANION=Markomi2Stamp.exe -DRUNNER=launcher -DDRIVE=Z: -DOUT=folder -P help_pictures.cmake
# RUNNER (scripts/wine when cross-compiling) may be empty; DRIVE is put
# before the folder's absolute path where the companion sees another file
# system (Wine's drive of the Unix root).
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")

function(draw picture slot era)
  set(ini "${OUT}/${picture}.ini")
  # Everything else at its default; the file needs only its section.
  file(WRITE "${ini}" "[MARKOMI]\r\nDATE${slot}_ERA=${era}\r\n")
  # At 144 dpi: half as large again as on a 96-dpi screen, for a clear view.
  set(command "${COMPANION}" --ini "${DRIVE}${ini}" --slot ${slot} --date 2025-05-01 --dpi 144
              --out "${DRIVE}${OUT}/${picture}.png")
  if(RUNNER)
    list(PREPEND command "${RUNNER}")
  endif()
  execute_process(COMMAND ${command} RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE error)
  if(NOT result EQUAL 0 OR NOT EXISTS "${OUT}/${picture}.png")
    message(FATAL_ERROR "the companion did not draw the help's ${picture}.png (${result}): ${error}")
  endif()
  file(REMOVE "${ini}")
endfunction()

foreach(slot RANGE 1 7)
  draw(design${slot} ${slot} 5)
endforeach()
foreach(era RANGE 1 5)
  draw(era${era} 1 ${era})
endforeach()
