# The programs that ship (dist/, the installer, the zip) carry no debug
# information: right after linking, each one's debug sections move into
# bin/<name>.debug and the program is stripped, keeping only a
# .gnu_debuglink that names that file (and its checksum). A crash address of
# the shipped program still reads as function, file and line:
#   x86_64-w64-mingw32-addr2line -f -C -e bin/Markomi2.exe 0x140001550
# (addr2line, gdb and objdump -S follow the link to the .debug file beside it).
# MSVC keeps its debug information in .pdb files anyway.
set(MARKOMI2_SHIPPED_PROGRAMS Markomi2 Markomi2Stamp Markomi2_Uninstaller)
if(MINGW AND CMAKE_OBJCOPY)
  foreach(program IN LISTS MARKOMI2_SHIPPED_PROGRAMS)
    if(NOT TARGET ${program})
      continue()
    endif()
    set(debug_file "$<TARGET_FILE_DIR:${program}>/$<TARGET_FILE_BASE_NAME:${program}>.debug")
    add_custom_command(TARGET ${program} POST_BUILD
      COMMAND "${CMAKE_OBJCOPY}" --only-keep-debug "$<TARGET_FILE:${program}>" "${debug_file}"
      COMMAND "${CMAKE_OBJCOPY}" --strip-all "--add-gnu-debuglink=${debug_file}" "$<TARGET_FILE:${program}>"
      COMMENT "Stripping ${program}, its debug information into ${program}.debug"
      VERBATIM)
  endforeach()
endif()

# What a new user downloads stays small, and the shipped programs stay
# readable through their .debug files (tests/release/shipped_files.sh).
if(MINGW AND CMAKE_OBJDUMP AND CMAKE_ADDR2LINE)
  add_test(NAME release.shipped_files
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/release/shipped_files.sh ${CMAKE_BINARY_DIR}
                   ${CMAKE_OBJDUMP} ${CMAKE_NM} ${CMAKE_ADDR2LINE})
  set_tests_properties(release.shipped_files PROPERTIES TIMEOUT 60)
endif()
