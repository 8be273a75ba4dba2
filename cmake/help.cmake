# The help file Markomi2.chm, compiled from help/ with chmcmd (Debian package
# fp-utils) and placed beside Markomi2.exe, where the program looks for it.
#
# The pages are UTF-8 and say so in their meta tag. The project, contents and
# index files are read by the help viewer in the code page of the help's
# language (Japanese: 932), so they are converted on the way in.
find_program(MARKOMI2_CHMCMD chmcmd)
find_program(MARKOMI2_ICONV iconv)
if(NOT MARKOMI2_CHMCMD)
  message(FATAL_ERROR "chmcmd not found: the help file Markomi2.chm cannot be built. "
                      "Install the Debian package fp-utils (the scripts in scripts/ do this).")
endif()
if(NOT MARKOMI2_ICONV)
  message(FATAL_ERROR "iconv not found: needed to build the help file Markomi2.chm.")
endif()

file(GLOB MARKOMI2_HELP_PAGES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/help/*.html"
     "${CMAKE_SOURCE_DIR}/help/*.css")

# The pictures the pages show are drawn by the companion as the help is
# built, so they are always the program's own stamps (cmake/help_pictures.cmake).
set(help_picture_dir "${CMAKE_BINARY_DIR}/help-pictures")
set(help_pictures)
foreach(name design1 design2 design3 design4 design5 design6 design7 era1 era2 era3 era4 era5)
  list(APPEND help_pictures "${help_picture_dir}/${name}.png")
endforeach()
if(CMAKE_CROSSCOMPILING)
  set(help_picture_runner "${CMAKE_SOURCE_DIR}/scripts/wine")
  set(help_picture_drive "Z:")
else()
  set(help_picture_runner "")
  set(help_picture_drive "")
endif()
add_custom_command(
  OUTPUT ${help_pictures}
  COMMAND "${CMAKE_COMMAND}" "-DCOMPANION=$<TARGET_FILE:Markomi2Stamp>" "-DRUNNER=${help_picture_runner}"
          "-DDRIVE=${help_picture_drive}" "-DOUT=${help_picture_dir}"
          -P "${CMAKE_SOURCE_DIR}/cmake/help_pictures.cmake"
  DEPENDS Markomi2Stamp "${CMAKE_SOURCE_DIR}/cmake/help_pictures.cmake"
  COMMENT "Drawing the help's pictures with the companion"
  VERBATIM)
# The stamping window's picture: the program's own window on a sample
# invoice, its page drawn by the companion (tools/help/). Only where the
# companion draws pages and Wine runs the window. A folder of its own: the
# design pictures' command empties theirs.
if(CMAKE_CROSSCOMPILING AND MARKOMI2_RENDER_PREFIX AND TARGET Markomi2Stamp)
  add_executable(markomi2_help_window_picture tools/help/stamping_window_picture_win.cpp
                 tools/page_png_win.cpp resources/help_picture.rc)
  target_link_libraries(markomi2_help_window_picture PRIVATE markomi2_glue)
  target_include_directories(markomi2_help_window_picture PRIVATE ${CMAKE_SOURCE_DIR})
  set_source_files_properties(resources/help_picture.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/resources/markomi2.manifest")
  if(MINGW)
    target_link_options(markomi2_help_window_picture PRIVATE -municode)
  endif()
  set(help_window_picture "${CMAKE_BINARY_DIR}/help-window-picture/stamping-window.png")
  add_custom_command(
    OUTPUT "${help_window_picture}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/help-window-picture"
    COMMAND "${help_picture_runner}" "$<TARGET_FILE:markomi2_help_window_picture>"
            "${help_picture_drive}${help_window_picture}" "${help_picture_drive}${CMAKE_BINARY_DIR}/help-window-picture"
    DEPENDS markomi2_help_window_picture Markomi2Stamp
    COMMENT "Drawing the help's picture of the stamping window"
    VERBATIM)
  list(APPEND help_pictures "${help_window_picture}")
endif()

set(MARKOMI2_HELP_SITEMAPS markomi2.hhp markomi2.hhc markomi2.hhk)
set(help_work "${CMAKE_BINARY_DIR}/help")
set(help_commands)
foreach(sitemap ${MARKOMI2_HELP_SITEMAPS})
  list(APPEND help_commands COMMAND "${MARKOMI2_ICONV}" -f UTF-8 -t CP932
       -o "${help_work}/${sitemap}" "${CMAKE_SOURCE_DIR}/help/${sitemap}")
endforeach()
set(help_sitemap_sources)
foreach(sitemap ${MARKOMI2_HELP_SITEMAPS})
  list(APPEND help_sitemap_sources "${CMAKE_SOURCE_DIR}/help/${sitemap}")
endforeach()

add_custom_command(
  OUTPUT "${CMAKE_BINARY_DIR}/bin/Markomi2.chm"
  COMMAND "${CMAKE_COMMAND}" -E rm -rf "${help_work}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${help_work}" "${CMAKE_BINARY_DIR}/bin"
  COMMAND "${CMAKE_COMMAND}" -E copy ${MARKOMI2_HELP_PAGES} ${help_pictures} "${help_work}"
  ${help_commands}
  COMMAND "${CMAKE_COMMAND}" -E chdir "${help_work}" "${MARKOMI2_CHMCMD}" --no-html-scan --verbosity 0 markomi2.hhp
  COMMAND "${CMAKE_COMMAND}" -E copy "${help_work}/Markomi2.chm" "${CMAKE_BINARY_DIR}/bin/Markomi2.chm"
  WORKING_DIRECTORY "${CMAKE_BINARY_DIR}"
  DEPENDS ${MARKOMI2_HELP_PAGES} ${help_sitemap_sources} ${help_pictures}
  COMMENT "Compiling the help file Markomi2.chm"
  VERBATIM)
add_custom_target(markomi2_help ALL DEPENDS "${CMAKE_BINARY_DIR}/bin/Markomi2.chm")
