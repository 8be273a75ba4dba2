# The installer Markomi2_Setup.exe, built with makensis (Debian package nsis)
# from installer/markomi2.nsi into bin/, beside the programs it installs.
# scripts/package copies it to dist/.
#
# It packages four files: Markomi2.exe, Markomi2Stamp.exe, Markomi2.chm and
# Markomi2_Uninstaller.exe. The uninstaller comes from the Markomi2_Uninstaller
# target (which must be defined before this file is included) or, in a tree
# without that target, from MARKOMI2_UNINSTALLER_EXE. With neither there is
# nothing complete to ship, and no installer is built.
# MARKOMI2_VERSION_TEXT comes from cmake/version.cmake.

set(MARKOMI2_UNINSTALLER_EXE "" CACHE FILEPATH
    "Markomi2_Uninstaller.exe to package when the tree has no Markomi2_Uninstaller target")
find_program(MARKOMI2_MAKENSIS makensis)

set(MARKOMI2_SETUP_BUILT OFF CACHE INTERNAL "Whether bin/Markomi2_Setup.exe is part of the build")
if(TARGET Markomi2_Uninstaller)
  set(uninstaller "$<TARGET_FILE:Markomi2_Uninstaller>")
  set(uninstaller_depends Markomi2_Uninstaller)
elseif(MARKOMI2_UNINSTALLER_EXE)
  if(NOT EXISTS "${MARKOMI2_UNINSTALLER_EXE}")
    message(FATAL_ERROR "MARKOMI2_UNINSTALLER_EXE=${MARKOMI2_UNINSTALLER_EXE} does not exist")
  endif()
  set(uninstaller "${MARKOMI2_UNINSTALLER_EXE}")
  set(uninstaller_depends "${MARKOMI2_UNINSTALLER_EXE}")
else()
  message(STATUS "Markomi2_Setup.exe is not built: this tree has no Markomi2_Uninstaller "
                 "target to package (set MARKOMI2_UNINSTALLER_EXE to package a built one)")
  return()
endif()
if(NOT MARKOMI2_MAKENSIS)
  message(STATUS "Markomi2_Setup.exe is not built: makensis not found (Debian package nsis)")
  return()
endif()
if(NOT TARGET Markomi2Stamp)
  message(FATAL_ERROR "the installer needs the Markomi2Stamp target")
endif()

set(package_dir "${CMAKE_BINARY_DIR}/package")
set(setup_exe "${CMAKE_BINARY_DIR}/bin/Markomi2_Setup.exe")
add_custom_command(
  OUTPUT "${setup_exe}"
  COMMAND "${CMAKE_COMMAND}" -E rm -rf "${package_dir}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${package_dir}"
  COMMAND "${CMAKE_COMMAND}" -E copy "$<TARGET_FILE:Markomi2>" "$<TARGET_FILE:Markomi2Stamp>"
          "${CMAKE_BINARY_DIR}/bin/Markomi2.chm" "${package_dir}"
  COMMAND "${CMAKE_COMMAND}" -E copy "${uninstaller}" "${package_dir}/Markomi2_Uninstaller.exe"
  COMMAND "${MARKOMI2_MAKENSIS}" -V2 "-DVERSION=${MARKOMI2_VERSION_TEXT}"
          "-DFILES_DIR=${package_dir}" "-DOUTFILE=${setup_exe}"
          "${CMAKE_SOURCE_DIR}/installer/markomi2.nsi"
  DEPENDS Markomi2 Markomi2Stamp ${uninstaller_depends} "${CMAKE_BINARY_DIR}/bin/Markomi2.chm"
          "${CMAKE_SOURCE_DIR}/installer/markomi2.nsi" "${CMAKE_SOURCE_DIR}/resources/resource.h"
          "${CMAKE_SOURCE_DIR}/COPYING" "${CMAKE_SOURCE_DIR}/THIRD-PARTY-NOTICES.txt"
  COMMENT "Building the installer Markomi2_Setup.exe"
  VERBATIM)
add_custom_target(markomi2_setup ALL DEPENDS "${setup_exe}")
add_dependencies(markomi2_setup markomi2_help)
set(MARKOMI2_SETUP_BUILT ON CACHE INTERNAL "Whether bin/Markomi2_Setup.exe is part of the build")
