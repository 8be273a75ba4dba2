# The version is written once, in resources/resource.h (VERSIONINFO and the
# about box read it there). The project, the installer and the two manifests
# take it from here; a manifest that says otherwise stops the configure
# instead of shipping two versions in one program.
set(MARKOMI2_VERSION_PARTS "")
foreach(part MAJOR MINOR PATCH BUILD)
  file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/../resources/resource.h" line
       REGEX "^#define MARKOMI2_VERSION_${part} [0-9]+$")
  string(REGEX REPLACE ".* ([0-9]+)$" "\\1" number "${line}")
  if(NOT number MATCHES "^[0-9]+$")
    message(FATAL_ERROR "MARKOMI2_VERSION_${part} not found in resources/resource.h")
  endif()
  list(APPEND MARKOMI2_VERSION_PARTS "${number}")
endforeach()
string(REPLACE ";" "." MARKOMI2_VERSION "${MARKOMI2_VERSION_PARTS}")

file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/../resources/resource.h" line
     REGEX "^#define MARKOMI2_VERSION_TEXT \"[^\"]+\"")
string(REGEX REPLACE ".*\"([^\"]+)\".*" "\\1" MARKOMI2_VERSION_TEXT "${line}")
if(NOT MARKOMI2_VERSION_TEXT)
  message(FATAL_ERROR "MARKOMI2_VERSION_TEXT not found in resources/resource.h")
endif()

foreach(manifest markomi2.manifest markomi2_uninstaller.manifest)
  # The first identity is the program's own; later ones name its dependencies.
  file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/../resources/${manifest}" identity REGEX "<assemblyIdentity ")
  list(GET identity 0 identity)
  if(NOT identity MATCHES " version=\"${MARKOMI2_VERSION}\"")
    message(FATAL_ERROR "resources/${manifest} does not carry version ${MARKOMI2_VERSION} "
                        "of resources/resource.h: ${identity}")
  endif()
endforeach()

# Configured again when any of them changes.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             "${CMAKE_CURRENT_LIST_DIR}/../resources/resource.h"
             "${CMAKE_CURRENT_LIST_DIR}/../resources/markomi2.manifest"
             "${CMAKE_CURRENT_LIST_DIR}/../resources/markomi2_uninstaller.manifest")
