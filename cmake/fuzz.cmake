# The fuzz tree: one libFuzzer program per parser of outside bytes in the
# portable core (tests/fuzz/libfuzzer/NAME_fuzz.cpp), built with clang under
# AddressSanitizer and UBSan. Each is a test that runs its checked-in seeds
# (tests/fuzz/corpus/NAME/) and then mutates them for a few seconds;
# scripts/fuzz runs one for longer.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "MARKOMI2_FUZZ needs clang++ (libFuzzer): configure with -DCMAKE_CXX_COMPILER=clang++")
endif()

add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                    -fno-omit-frame-pointer -gline-tables-only)

# Only the parsers and what they call: compiling the whole core under the
# instrumentation would take most of this tree's time.
set(FUZZ_PARSER_SOURCES
    base/u16_format.cpp
    output/emf/emf_record_writer.cpp
    output/emf/emf_records.cpp
    output/emf/emf_rewrite.cpp
    output/pdf_sign/cms_attributes.cpp
    output/pdf_sign/ber_length.cpp
    output/pdf_stamp/pdf_content_balance.cpp
    output/pdf_stamp/pdf_incremental.cpp
    output/pdf_stamp/pdf_placement.cpp
    output/pdf_stamp/pdf_revisions.cpp
    output/vector/vector_writers.cpp
    settings/memory_profile.cpp
    settings/pdf_stamp_options.cpp
    settings/profile_encoding.cpp
    settings/profile_value.cpp
    settings/settings_global.cpp
    settings/settings_rules.cpp
    tests/support/emf_reader.cpp
    tools/companion_args.cpp
    ui/document_handoff.cpp
    ui/found_stamps_rules.cpp)
# Files the parsers take a function or two from, whose other functions need
# the whole renderer: compiled function by function into sections of their
# own (the coverage tables too, which -fsanitize-coverage=0 splits), so
# that the linker drops what no parser calls.
set(FUZZ_SUPPORT_SOURCES
    dates/date_text.cpp
    output/pdf_stamp/pdf_stamp_result.cpp
    output/raster/image_file_rules.cpp
    ui/pdf_stamp_rules.cpp
    ui/stamping_window_rules.cpp)
list(TRANSFORM FUZZ_PARSER_SOURCES PREPEND "${CMAKE_SOURCE_DIR}/")
list(TRANSFORM FUZZ_SUPPORT_SOURCES PREPEND "${CMAKE_SOURCE_DIR}/")
add_library(markomi2_fuzz_support STATIC ${FUZZ_SUPPORT_SOURCES})
target_include_directories(markomi2_fuzz_support PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(markomi2_fuzz_support PRIVATE -fsanitize-coverage=0 -ffunction-sections -fdata-sections)
add_library(markomi2_fuzz_core STATIC ${FUZZ_PARSER_SOURCES})
target_include_directories(markomi2_fuzz_core PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(markomi2_fuzz_core PUBLIC markomi2_fuzz_support)

# A short run per target: a crash, a sanitizer report, a hang or a memory
# blow-up fails the test. Seconds per target; scripts/fuzz takes longer.
set(MARKOMI2_FUZZ_SECONDS 3 CACHE STRING "Seconds of mutation per fuzz target in its test")

file(GLOB FUZZ_TARGET_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/fuzz/libfuzzer/*_fuzz.cpp")
foreach(source ${FUZZ_TARGET_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  string(REGEX REPLACE "_fuzz$" "" name ${name})
  add_executable(fuzz_${name} ${source})
  target_link_libraries(fuzz_${name} PRIVATE markomi2_fuzz_core)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined -Wl,--gc-sections)
  set_target_properties(fuzz_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  add_test(NAME fuzz.${name}
           COMMAND ${CMAKE_COMMAND} -DTARGET=${name} -DPROGRAM=$<TARGET_FILE:fuzz_${name}>
                   -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DWORK_DIR=${CMAKE_BINARY_DIR}/work/${name}
                   -DSECONDS=${MARKOMI2_FUZZ_SECONDS} -DFRESH=ON
                   -P ${CMAKE_SOURCE_DIR}/tests/fuzz/libfuzzer/run.cmake)
endforeach()
