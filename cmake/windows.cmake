# Windows tree: the programs, their glue library and the tests run under Wine.
add_compile_definitions(UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)
if(MINGW)
  # No mingw runtime DLL at run time, on Windows or under Wine.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

set(MARKOMI2_WIN_LIBS user32 gdi32 gdiplus comctl32 comdlg32 shell32 shlwapi ole32 oleaut32
    advapi32 imm32 uuid version crypt32 bcrypt ncrypt)

markomi2_glue_sources(GLUE_SOURCES)
add_library(markomi2_glue STATIC ${GLUE_SOURCES})
target_link_libraries(markomi2_glue PUBLIC markomi2_core ${MARKOMI2_WIN_LIBS})
# Parsing <windows.h> and <gdiplus.h> is most of the time a glue or test file
# takes to compile; they are parsed once per target instead. Only the glue
# and the Windows tests get them: the portable core must keep compiling
# without <windows.h>, which a precompiled header would hide.
set(MARKOMI2_WIN_PCH <windows.h> <gdiplus.h> <cstdint> <memory> <optional> <string> <string_view> <vector>)
target_precompile_headers(markomi2_glue PRIVATE ${MARKOMI2_WIN_PCH})

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
add_executable(Markomi2 WIN32 app/winmain_win.cpp resources/markomi2.rc)
target_link_libraries(Markomi2 PRIVATE markomi2_glue)
# The resource compiler only tracks #includes; the files the .rc embeds count too.
# Every icon and cursor in resources/ is embedded.
file(GLOB MARKOMI2_RC_ARTWORK CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/resources/*.ico"
     "${CMAKE_SOURCE_DIR}/resources/*.cur")
set_source_files_properties(resources/markomi2.rc PROPERTIES OBJECT_DEPENDS
  "${MARKOMI2_RC_ARTWORK};${CMAKE_SOURCE_DIR}/resources/markomi2.manifest")

# The uninstaller: a program of its own, built from its own folder and the
# few shared pieces it needs (path and registry helpers, shortcut deletion).
add_executable(Markomi2_Uninstaller WIN32 uninstaller/uninstaller_main_win.cpp
               resources/markomi2_uninstaller.rc)
target_link_libraries(Markomi2_Uninstaller PRIVATE markomi2_glue)
set_source_files_properties(resources/markomi2_uninstaller.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/resources/uninstall.ico;${CMAKE_SOURCE_DIR}/resources/markomi2_uninstaller.manifest")
if(MINGW)
  target_link_options(Markomi2_Uninstaller PRIVATE -municode)
endif()

# The console companion: renders a stamp through the same pipelines.
if(EXISTS "${CMAKE_SOURCE_DIR}/tools/markomi2_stamp_win.cpp")
  file(GLOB COMPANION_GLUE_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tools/*_win.cpp")
  add_executable(Markomi2Stamp ${COMPANION_GLUE_SOURCES})
  target_link_libraries(Markomi2Stamp PRIVATE markomi2_companion_core markomi2_glue)
  # Stamping PDF documents needs qpdf, libjpeg and zlib, built as static
  # libraries into one folder (scripts/lib/pdf_library.sh does it from
  # Debian's sources). Without them the companion says it cannot stamp PDFs.
  set(MARKOMI2_PDF_PREFIX "" CACHE PATH "Folder with include/ and lib/ of static qpdf, libjpeg and zlib")
  if(MARKOMI2_PDF_PREFIX)
    file(GLOB QPDF_GLUE_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/output/pdf_stamp/*_qpdf.cpp")
    target_sources(Markomi2Stamp PRIVATE ${QPDF_GLUE_SOURCES})
    target_include_directories(Markomi2Stamp SYSTEM PRIVATE "${MARKOMI2_PDF_PREFIX}/include")
    # POINTERHOLDER_TRANSITION=4: qpdf's headers without the old PointerHolder.
    target_compile_definitions(Markomi2Stamp PRIVATE MARKOMI2_PDF_STAMPING=1 POINTERHOLDER_TRANSITION=4)
    # Static archives only (libz.a before mingw's libz.dll.a); the prefix is
    # searched as it is, not under the cross root.
    find_library(MARKOMI2_QPDF_LIB NAMES libqpdf.a qpdf PATHS "${MARKOMI2_PDF_PREFIX}/lib"
                 NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    find_library(MARKOMI2_JPEG_LIB NAMES libjpeg.a jpeg-static jpeg PATHS "${MARKOMI2_PDF_PREFIX}/lib"
                 NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    find_library(MARKOMI2_ZLIB NAMES libz.a zlibstatic z zlib HINTS "${MARKOMI2_PDF_PREFIX}/lib" REQUIRED)
    # Drawing pages (--render): poppler with FreeType, in a folder of its own
    # (scripts/lib/pdf_library.sh); it uses the libjpeg above. This program alone.
    set(MARKOMI2_RENDER_PREFIX "" CACHE PATH "Folder with include/ and lib/ of static poppler and freetype")
    if(MARKOMI2_RENDER_PREFIX)
      file(GLOB POPPLER_GLUE_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/output/pdf_stamp/*_poppler.cpp")
      target_sources(Markomi2Stamp PRIVATE ${POPPLER_GLUE_SOURCES})
      set_source_files_properties(${POPPLER_GLUE_SOURCES} PROPERTIES INCLUDE_DIRECTORIES
        "${MARKOMI2_RENDER_PREFIX}/include;${MARKOMI2_RENDER_PREFIX}/include/poppler;${MARKOMI2_RENDER_PREFIX}/include/poppler/poppler")
      target_compile_definitions(Markomi2Stamp PRIVATE MARKOMI2_PDF_RENDERING=1 POPPLER_PRIVATE_STATIC_DEFINE)
      find_library(MARKOMI2_POPPLER_LIB NAMES libpoppler.a PATHS "${MARKOMI2_RENDER_PREFIX}/lib"
                   NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
      find_library(MARKOMI2_FREETYPE_LIB NAMES libfreetype.a PATHS "${MARKOMI2_RENDER_PREFIX}/lib"
                   NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
      target_link_libraries(Markomi2Stamp PRIVATE ${MARKOMI2_POPPLER_LIB} ${MARKOMI2_FREETYPE_LIB})
    endif()
    target_link_libraries(Markomi2Stamp PRIVATE ${MARKOMI2_QPDF_LIB} ${MARKOMI2_JPEG_LIB} ${MARKOMI2_ZLIB}
                          advapi32 gdi32)
  endif()
  if(MINGW)
    target_link_options(Markomi2Stamp PRIVATE -municode)
  endif()
endif()
if(MINGW)
  target_link_options(Markomi2 PRIVATE -municode)
endif()

# The shipped programs are stripped right after linking, before anything
# packs them.
include(cmake/release.cmake)

# The help file and the installer. Targets they package (Markomi2_Uninstaller)
# are defined above this point.
include(cmake/help.cmake)
include(cmake/installer.cmake)

# Paths the Windows-side tests need, in Windows form (Wine maps the Linux root to Z:).
function(markomi2_windows_path out path)
  if(CMAKE_CROSSCOMPILING)
    string(REPLACE "/" "\\\\" p "${path}")
    set(${out} "Z:${p}" PARENT_SCOPE)
  else()
    string(REPLACE "/" "\\\\" p "${path}")
    set(${out} "${p}" PARENT_SCOPE)
  endif()
endfunction()

markomi2_add_gtest()

markomi2_windows_path(WIN_EXE_PATH "${CMAKE_BINARY_DIR}/bin/Markomi2.exe")
markomi2_windows_path(WIN_STAMP_EXE_PATH "${CMAKE_BINARY_DIR}/bin/Markomi2Stamp.exe")
markomi2_windows_path(WIN_UNINSTALLER_EXE_PATH "${CMAKE_BINARY_DIR}/bin/Markomi2_Uninstaller.exe")
markomi2_windows_path(WIN_TESTDATA_PATH "${CMAKE_SOURCE_DIR}/tests/data")
markomi2_windows_path(WIN_GOLDEN_PATH "${CMAKE_SOURCE_DIR}/tests/golden")
markomi2_windows_path(WIN_RESOURCES_PATH "${CMAKE_SOURCE_DIR}/resources")
markomi2_windows_path(WIN_HELP_PATH "${CMAKE_BINARY_DIR}/bin/Markomi2.chm")
markomi2_windows_path(WIN_SETUP_EXE_PATH "${CMAKE_BINARY_DIR}/bin/Markomi2_Setup.exe")

# Under Wine the desktop process must outlive every test (see the keeper's
# source): the first test waits until the keeper has brought it up.
if(CMAKE_CROSSCOMPILING)
  add_executable(markomi2_desktop_keeper WIN32 tests/win/keeper/desktop_keeper_win.cpp)
  target_link_libraries(markomi2_desktop_keeper PRIVATE user32 shell32)
  target_link_options(markomi2_desktop_keeper PRIVATE -municode)
  add_test(NAME wine.desktop_keeper
           COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/lib/keep_wine_desktop.sh
                   $<TARGET_FILE:markomi2_desktop_keeper> ${CMAKE_BINARY_DIR}/wine-desktop.ready)
  set_tests_properties(wine.desktop_keeper PROPERTIES TIMEOUT 120 FIXTURES_SETUP wine_desktop)
  # scripts/wine leaves nothing that holds its caller's output (a prefix,
  # display and wineserver of the test's own, made and removed by it).
  if(TARGET Markomi2Stamp)
    add_test(NAME scripts.wine_output_pipe
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/scripts/wine_output_pipe.sh
                     $<TARGET_FILE:Markomi2Stamp> ${CMAKE_BINARY_DIR})
    set_tests_properties(scripts.wine_output_pipe PROPERTIES TIMEOUT 900 COST 30)
  endif()
  # scripts/wine --stop comes back when the wineserver will not end.
  add_test(NAME scripts.wine_stop_bounded
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/scripts/wine_stop_bounded.sh)
  set_tests_properties(scripts.wine_stop_bounded PROPERTIES TIMEOUT 120)
  # The Calc paste test: a stamp copied as a bitmap is pasted into
  # LibreOffice Calc on the same display, and the probe reads the screen
  # to see the cell grid through it. Alone: it types, clicks and copies.
  add_executable(markomi2_screen_probe tests/win/calc/screen_probe_win.cpp)
  target_link_libraries(markomi2_screen_probe PRIVATE markomi2_core user32 gdi32)
  target_include_directories(markomi2_screen_probe PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_options(markomi2_screen_probe PRIVATE -municode)
  add_test(NAME DesktopCalc.ABitmapStampPastesWithTheGridShowingThrough
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win/calc/calc_paste_test.sh
                   ${CMAKE_BINARY_DIR}/bin ${CMAKE_BINARY_DIR}/calc-paste)
  set_tests_properties(DesktopCalc.ABitmapStampPastesWithTheGridShowingThrough PROPERTIES
                       TIMEOUT 240 FIXTURES_REQUIRED wine_desktop RESOURCE_LOCK markomi2_user_session
                       RUN_SERIAL TRUE SKIP_RETURN_CODE 77)
  # Screens of 120 and 144 dpi: scripts/wine gives each MARKOMI2_WINE_DPI a
  # prefix, display and wineserver of its own, so the keeper above does not
  # cover them. Each gets its own keeper (the same desktop restart would
  # hold its tests' output open) and is stopped once its tests are done.
  foreach(dpi 120 144)
    add_test(NAME wine.desktop_keeper_dpi${dpi}
             COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/lib/keep_wine_desktop.sh
                     $<TARGET_FILE:markomi2_desktop_keeper> ${CMAKE_BINARY_DIR}/wine-desktop-dpi${dpi}.ready)
    add_test(NAME wine.stop_dpi${dpi} COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/wine --stop)
    set_tests_properties(wine.desktop_keeper_dpi${dpi} PROPERTIES TIMEOUT 180
                         FIXTURES_SETUP wine_desktop_dpi${dpi} ENVIRONMENT MARKOMI2_WINE_DPI=${dpi})
    set_tests_properties(wine.stop_dpi${dpi} PROPERTIES TIMEOUT 60
                         FIXTURES_CLEANUP wine_desktop_dpi${dpi} ENVIRONMENT MARKOMI2_WINE_DPI=${dpi})
  endforeach()
endif()

# Registers the tests of `target` that `filter` selects once more for each
# scaled screen, named dpi<N>.<suite>.<test>, run under MARKOMI2_WINE_DPI=<N>.
function(markomi2_add_scaled_screen_tests target filter)
  if(NOT CMAKE_CROSSCOMPILING)
    return()
  endif()
  foreach(dpi 120 144)
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 600
                         TEST_FILTER "${filter}" TEST_PREFIX "dpi${dpi}."
                         TEST_LIST ${target}_dpi${dpi}_tests
                         PROPERTIES TIMEOUT 180 FIXTURES_REQUIRED wine_desktop_dpi${dpi}
                                    ENVIRONMENT MARKOMI2_WINE_DPI=${dpi}
                                    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] 1 test")
  endforeach()
endfunction()

# Tests that work in their own temporary folders: these may run in parallel.
file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/win/*_test.cpp"
     "${CMAKE_SOURCE_DIR}/tests/win/support/*.cpp")
list(FILTER WIN_TEST_SOURCES INCLUDE REGEX "_test\\.cpp$|/support/")
if(WIN_TEST_SOURCES MATCHES "_test\\.cpp")
  set(WIN_FOCUS_SUITES "AboutBox.*:PreferencesWindow.*:StampSettingsWindow.*")
  # Suites that use what the whole Wine session shares: the clipboard, the
  # startup folder's shortcut, the system era key, the uninstall entry.
  set(WIN_SESSION_SUITES "BitmapOutput.*:MetafileOutput.*:OpeningWindow.*:EraRegistry.*:InstallFolderResolution.*:StampCopy.*")
  # Suites that need an ANSI code page other than 932 (see scripts/wine).
  set(WIN_OTHER_CODE_PAGE_SUITES "SettingsFilesOtherCodePage.*")
  # Run by tests/readers/cms_signing.sh alone, which hands its signature to OpenSSL.
  set(WIN_READER_SUITES "PdfSigning.*")
  add_executable(markomi2_win_tests ${WIN_TEST_SOURCES})
  target_link_libraries(markomi2_win_tests PRIVATE markomi2_test_support markomi2_glue gtest gtest_main)
  markomi2_test_program(markomi2_win_tests ${MARKOMI2_WIN_PCH})
  target_include_directories(markomi2_win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/win)
  target_compile_definitions(markomi2_win_tests PRIVATE "MARKOMI2_TESTDATA=L\"${WIN_TESTDATA_PATH}\""
                             "MARKOMI2_GOLDEN=L\"${WIN_GOLDEN_PATH}\""
                             "MARKOMI2_RESOURCES=L\"${WIN_RESOURCES_PATH}\""
                             "MARKOMI2_HELP_FILE=L\"${WIN_HELP_PATH}\"")
  add_dependencies(markomi2_win_tests Markomi2 Markomi2Stamp markomi2_help)
  # A test passes only when GoogleTest says so: a program that dies under
  # Wine (a stack overflow, say) must not count by its exit code alone.
  gtest_discover_tests(markomi2_win_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 600
                       TEST_FILTER "-Desktop*:${WIN_FOCUS_SUITES}:${WIN_SESSION_SUITES}:${WIN_OTHER_CODE_PAGE_SUITES}:${WIN_READER_SUITES}"
                       PROPERTIES TIMEOUT 120 FIXTURES_REQUIRED wine_desktop
                                  PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] 1 test")
  gtest_discover_tests(markomi2_win_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 600
                       TEST_FILTER "${WIN_OTHER_CODE_PAGE_SUITES}" TEST_LIST markomi2_code_page_tests
                       PROPERTIES TIMEOUT 120 FIXTURES_REQUIRED wine_desktop
                                  ENVIRONMENT "MARKOMI2_WINE_LC_ALL=en_US.UTF-8"
                                  PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] 1 test")
  # There is one clipboard for every program on the desktop: a test that
  # copies and reads back must not have another one copy in between. The
  # tests of the program itself copy too, make and remove the startup
  # shortcut and read the era key at start, so they share the lock.
  gtest_discover_tests(markomi2_win_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 600
                       TEST_FILTER "${WIN_SESSION_SUITES}" TEST_LIST markomi2_session_tests
                       PROPERTIES TIMEOUT 120 FIXTURES_REQUIRED wine_desktop RESOURCE_LOCK markomi2_user_session
                                  PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] 1 test")
  # The window suites check which control has the keyboard focus. A window
  # that another test program shows takes the activation away, and with it
  # the focus, so these run alone too.
  gtest_discover_tests(markomi2_win_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 600
                       TEST_FILTER "${WIN_FOCUS_SUITES}" TEST_LIST markomi2_focus_tests
                       PROPERTIES TIMEOUT 120 FIXTURES_REQUIRED wine_desktop RUN_SERIAL TRUE
                                  PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] 1 test")
  # Suites named Desktop... drive the real desktop: they move the mouse, send
  # keys, change the foreground window and fill the clipboard, so nothing
  # else may run beside them.
  gtest_discover_tests(markomi2_win_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 600
                       TEST_FILTER "Desktop*" TEST_LIST markomi2_desktop_tests
                       PROPERTIES TIMEOUT 120 FIXTURES_REQUIRED wine_desktop RUN_SERIAL TRUE
                                  PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] 1 test")
  # The outputs made after a preview on a scaled screen.
  markomi2_add_scaled_screen_tests(markomi2_win_tests "ScaledScreen.*")
endif()

# The settings fault tests (tests/win/settings_fault_test.cpp) start a loop
# that saves through the program's own save path, kill it mid-save and run
# two at once. Their full-disk case needs a small disk of its own: it is
# mounted and mapped as drive S: of the prefix with the desktop, before the
# first Windows test, and removed after the last one; where mounting is not
# allowed the test skips and says why.
if(TARGET markomi2_win_tests)
  add_executable(markomi2_settings_save_loop tests/win/tools/settings_save_loop_win.cpp
                 tests/win/support/settings_value_sets.cpp)
  target_link_libraries(markomi2_settings_save_loop PRIVATE markomi2_glue)
  target_include_directories(markomi2_settings_save_loop PRIVATE ${CMAKE_SOURCE_DIR}/tests/win)
  if(MINGW)
    target_link_options(markomi2_settings_save_loop PRIVATE -municode)
  endif()
  add_dependencies(markomi2_win_tests markomi2_settings_save_loop)
  markomi2_windows_path(WIN_SAVE_LOOP_EXE_PATH "${CMAKE_BINARY_DIR}/bin/markomi2_settings_save_loop.exe")
  markomi2_windows_path(WIN_SMALL_DISK_REASON "${CMAKE_BINARY_DIR}/small-disk/reason")
  target_compile_definitions(markomi2_win_tests PRIVATE
                             "MARKOMI2_SAVE_LOOP_EXE_PATH=L\"${WIN_SAVE_LOOP_EXE_PATH}\""
                             "MARKOMI2_SMALL_DISK_REASON=L\"${WIN_SMALL_DISK_REASON}\"")
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME settings.small_disk_map
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/scripts/small_disk.sh map ${CMAKE_BINARY_DIR}/small-disk)
    set_tests_properties(settings.small_disk_map PROPERTIES TIMEOUT 60 FIXTURES_SETUP wine_desktop
                         DEPENDS wine.desktop_keeper)
    add_test(NAME settings.small_disk_unmap
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/scripts/small_disk.sh unmap ${CMAKE_BINARY_DIR}/small-disk)
    set_tests_properties(settings.small_disk_unmap PROPERTIES TIMEOUT 60 FIXTURES_CLEANUP wine_desktop)
    # Without a small disk the full-disk tests skip themselves, which must
    # count as skipped, not failed (a discovered test passes only when
    # GoogleTest says it passed); with it, they take turns filling it.
    # ctest reads this after the discovery has defined the tests.
    file(WRITE "${CMAKE_BINARY_DIR}/settings_fault_skip.cmake"
         "set_tests_properties(SettingsSaveFaults.ASaveThatDoesNotFitKeepsTheOldFileAndIsToldOnce "
         "PdfStamp.ACopyThatDoesNotFitOnTheDiskLeavesTheEarlierCopy "
         "PROPERTIES RESOURCE_LOCK markomi2_small_disk "
         "SKIP_REGULAR_EXPRESSION \"\\\\[  SKIPPED \\\\] 1 test\")\n"
         # The longest discovered tests start first (see COST below).
         "set_tests_properties(SettingsSaveFaults.AProcessKilledWhileSavingLeavesOneWholeFile PROPERTIES COST 35)\n"
         "set_tests_properties(Companion.DpiMakesFinerRasterFilesOfTheSameSize PROPERTIES COST 17)\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${CMAKE_BINARY_DIR}/settings_fault_skip.cmake")
  endif()
endif()

# Tests that start Markomi2.exe itself: they share the user's settings folder,
# the single-instance objects and the clipboard, so they run one at a time and
# never beside the clipboard suites above. (One lock name: the test discovery
# of this CMake flattens a list of them.)
file(GLOB APP_TEST_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/win/app/*_test.cpp"
     "${CMAKE_SOURCE_DIR}/tests/win/app/support/*.cpp" "${CMAKE_SOURCE_DIR}/tests/win/support/*.cpp")
if(APP_TEST_SOURCES MATCHES "/app/[^;]*_test\\.cpp")
  add_executable(markomi2_app_tests ${APP_TEST_SOURCES})
  target_link_libraries(markomi2_app_tests PRIVATE markomi2_glue gtest gtest_main)
  markomi2_test_program(markomi2_app_tests ${MARKOMI2_WIN_PCH})
  target_include_directories(markomi2_app_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/win)
  target_compile_definitions(markomi2_app_tests PRIVATE "MARKOMI2_EXE_PATH=L\"${WIN_EXE_PATH}\""
                             "MARKOMI2_GOLDEN=L\"${WIN_GOLDEN_PATH}\""
                             "MARKOMI2_STAMP_EXE_PATH=L\"${WIN_STAMP_EXE_PATH}\""
                             "MARKOMI2_UNINSTALLER_EXE_PATH=L\"${WIN_UNINSTALLER_EXE_PATH}\"")
  add_dependencies(markomi2_app_tests Markomi2 Markomi2_Uninstaller)
  if(TARGET markomi2_setup)
    target_compile_definitions(markomi2_app_tests PRIVATE
                               "MARKOMI2_SETUP_EXE_PATH=L\"${WIN_SETUP_EXE_PATH}\"")
    add_dependencies(markomi2_app_tests markomi2_setup)
  endif()
  if(TARGET Markomi2Stamp)
    add_dependencies(markomi2_app_tests Markomi2Stamp)
  endif()
  gtest_discover_tests(markomi2_app_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 600
                       TEST_FILTER "-Desktop*"
                       PROPERTIES TIMEOUT 120 FIXTURES_REQUIRED wine_desktop RESOURCE_LOCK markomi2_user_session
                                  PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] 1 test")
  # Drives of the resident program click, type and fill the clipboard like a
  # user: alone, as the Desktop... suites above.
  gtest_discover_tests(markomi2_app_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 600
                       TEST_FILTER "Desktop*" TEST_LIST markomi2_app_desktop_tests
                       PROPERTIES TIMEOUT 120 FIXTURES_REQUIRED wine_desktop RUN_SERIAL TRUE
                                  PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] 1 test")
  # The companion's metafile against the program's on a scaled screen.
  markomi2_add_scaled_screen_tests(markomi2_app_tests
                                   "Companion.EmfSizeIsTheProgramsPictureFrameAtTheScreenDpi")
endif()

if(MSVC)
  # The manifests come from the .rc files; the linker must not add its own.
  target_link_options(Markomi2 PRIVATE /MANIFEST:NO)
  target_link_options(Markomi2_Uninstaller PRIVATE /MANIFEST:NO)
endif()

# Benchmarks: built, never run by ctest. The bench starts Markomi2.exe and
# the bare program beside it to time the start-up.
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/bench/*_win.cpp")
list(FILTER BENCH_SOURCES EXCLUDE REGEX "/bare_window_win\\.cpp$")
if(BENCH_SOURCES)
  add_executable(markomi2_bench ${BENCH_SOURCES})
  target_link_libraries(markomi2_bench PRIVATE markomi2_glue winmm)
  add_executable(markomi2_bare_window WIN32 bench/bare_window_win.cpp)
  target_link_libraries(markomi2_bare_window PRIVATE user32)
  add_dependencies(markomi2_bench markomi2_bare_window Markomi2)
  if(MINGW)
    target_link_options(markomi2_bench PRIVATE -municode)
    target_link_options(markomi2_bare_window PRIVATE -municode)
  endif()
endif()

# The COST of a slow test is about its seconds: a clean tree has no timings
# of an earlier run, and ctest -j starts the costliest first, so that the
# longest tests run beside the many short ones instead of making the tail.

# Readers of other makers open our outputs (tests/readers/): LibreOffice
# converts each design's EMF file and the clipboard's metafile, which a small
# Wine program saves. It copies to the clipboard, hence the session lock.
if(CMAKE_CROSSCOMPILING AND TARGET Markomi2Stamp)
  add_executable(markomi2_clipboard_emf tests/readers/clipboard_emf_win.cpp)
  target_link_libraries(markomi2_clipboard_emf PRIVATE user32 gdi32)
  target_link_options(markomi2_clipboard_emf PRIVATE -municode)
  # The project's own check of the record order, run on the same metafiles.
  add_executable(markomi2_emf_order_check tests/readers/emf_order_check.cpp)
  target_link_libraries(markomi2_emf_order_check PRIVATE markomi2_core)
  add_test(NAME reader.libreoffice_emf
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/readers/libreoffice_emf.sh
                   $<TARGET_FILE:Markomi2Stamp> $<TARGET_FILE:markomi2_clipboard_emf>
                   $<TARGET_FILE:markomi2_emf_order_check> ${CMAKE_BINARY_DIR})
  set_tests_properties(reader.libreoffice_emf PROPERTIES TIMEOUT 300 FIXTURES_REQUIRED wine_desktop
                       RESOURCE_LOCK markomi2_user_session SKIP_RETURN_CODE 77 COST 70)
endif()

# The SVG and PDF files of every design, read by qpdf, pdftoppm and
# rsvg-convert against the companion's PNG.
if(CMAKE_CROSSCOMPILING AND TARGET Markomi2Stamp)
  add_test(NAME reader.vector_files
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/readers/vector_files.sh
                   $<TARGET_FILE:Markomi2Stamp> ${CMAKE_BINARY_DIR})
  set_tests_properties(reader.vector_files PROPERTIES TIMEOUT 300 FIXTURES_REQUIRED wine_desktop
                       SKIP_RETURN_CODE 77 COST 90)
  # Each design's EMF played by GDI at 600 dpi against its PDF drawn by
  # pdftoppm at 600 dpi: the ink's edges within a pixel of each other.
  add_executable(markomi2_emf_play tests/readers/emf_play_win.cpp)
  target_link_libraries(markomi2_emf_play PRIVATE markomi2_test_support markomi2_core gdi32)
  add_test(NAME reader.emf_print_resolution
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/readers/emf_print_resolution.sh
                   $<TARGET_FILE:Markomi2Stamp> $<TARGET_FILE:markomi2_emf_play> ${CMAKE_BINARY_DIR})
  set_tests_properties(reader.emf_print_resolution PROPERTIES TIMEOUT 300
                       FIXTURES_REQUIRED wine_desktop SKIP_RETURN_CODE 77 COST 35)
  # PDF documents of other writers, stamped by the companion and read back.
  if(MARKOMI2_PDF_PREFIX)
    # A signed stamp with a stand-in signer; the script signs in its place.
    add_executable(markomi2_pdf_sign_probe tests/readers/pdf_sign_probe_win.cpp ${QPDF_GLUE_SOURCES})
    target_include_directories(markomi2_pdf_sign_probe SYSTEM PRIVATE "${MARKOMI2_PDF_PREFIX}/include")
    target_compile_definitions(markomi2_pdf_sign_probe PRIVATE POINTERHOLDER_TRANSITION=4)
    target_link_libraries(markomi2_pdf_sign_probe PRIVATE markomi2_companion_core markomi2_glue
                          ${MARKOMI2_QPDF_LIB} ${MARKOMI2_JPEG_LIB} ${MARKOMI2_ZLIB} advapi32 gdi32)
    target_link_options(markomi2_pdf_sign_probe PRIVATE -municode)
    add_test(NAME reader.pdf_stamping
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/readers/pdf_stamping.sh
                     $<TARGET_FILE:Markomi2Stamp> ${CMAKE_BINARY_DIR} $<TARGET_FILE:markomi2_pdf_sign_probe>)
    set_tests_properties(reader.pdf_stamping PROPERTIES TIMEOUT 600 FIXTURES_REQUIRED wine_desktop
                         SKIP_RETURN_CODE 77 COST 170)
    # --verify on documents pdfsig signed, changed after signing, or updated.
    add_test(NAME reader.pdf_verify
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/readers/pdf_verify.sh
                     $<TARGET_FILE:Markomi2Stamp> ${CMAKE_BINARY_DIR})
    set_tests_properties(reader.pdf_verify PROPERTIES TIMEOUT 120 FIXTURES_REQUIRED wine_desktop
                         SKIP_RETURN_CODE 77)
  endif()
  # The CMS signature of a personal certificate made in the prefix's store,
  # read by OpenSSL; and the companion's certificate commands.
  if(TARGET markomi2_win_tests)
    add_test(NAME reader.cms_signing
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/readers/cms_signing.sh
                     $<TARGET_FILE:markomi2_win_tests> $<TARGET_FILE:Markomi2Stamp> ${CMAKE_BINARY_DIR})
    set_tests_properties(reader.cms_signing PROPERTIES TIMEOUT 300 FIXTURES_REQUIRED wine_desktop
                         SKIP_RETURN_CODE 77)
  endif()
  # Three approvers sign one document in turn, judged by pdfsig and OpenSSL.
  if(MARKOMI2_PDF_PREFIX)
    add_test(NAME reader.pdf_approval_chain
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/readers/pdf_approval_chain.sh
                     $<TARGET_FILE:Markomi2Stamp> ${CMAKE_BINARY_DIR})
    set_tests_properties(reader.pdf_approval_chain PROPERTIES TIMEOUT 300 FIXTURES_REQUIRED wine_desktop
                         SKIP_RETURN_CODE 77)
    # Certified, hybrid-reference and linked documents stamped incrementally,
    # and a signed pile killed part way.
    add_test(NAME reader.pdf_incremental_cases
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/readers/pdf_incremental_cases.sh
                     $<TARGET_FILE:Markomi2Stamp> ${CMAKE_BINARY_DIR})
    set_tests_properties(reader.pdf_incremental_cases PROPERTIES TIMEOUT 300 FIXTURES_REQUIRED wine_desktop
                         SKIP_RETURN_CODE 77)
  endif()
  # Pages drawn by --render against pdftoppm, and its refusals.
  if(MARKOMI2_PDF_PREFIX AND MARKOMI2_RENDER_PREFIX)
    add_test(NAME reader.pdf_render
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/readers/pdf_render.sh
                     $<TARGET_FILE:Markomi2Stamp> ${CMAKE_BINARY_DIR})
    set_tests_properties(reader.pdf_render PROPERTIES TIMEOUT 300 FIXTURES_REQUIRED wine_desktop
                         SKIP_RETURN_CODE 77 COST 25)
  endif()
endif()
