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
