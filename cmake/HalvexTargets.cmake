# Shared target helpers: warnings, sanitizers, relocatable layout, version embedding.
#
# Installed (and build-tree) layout, relative to the prefix:
#   bin/                  programs, halvex.ini, resource libraries (*.lrc)
#   lib/halvex/           shared libraries (platform, plinth)
#   lib/halvex/plugins/   modules loaded by name (Marlow.so, tallow.so, NTLog.so, ...)
#   lib/halvex/gstreamer-1.0/  GStreamer plug-ins
#   share/halvex/         demo installation, graphs, guide

set(HALVEX_BIN_DIR bin)
set(HALVEX_LIB_DIR lib/halvex)
set(HALVEX_PLUGIN_DIR lib/halvex/plugins)
set(HALVEX_GST_PLUGIN_DIR lib/halvex/gstreamer-1.0)
set(HALVEX_SHARE_DIR share/halvex)

set(HALVEX_VERSION_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/version_section.c.in)
# The four numbers every binary embeds, as --version prints them.
set(HALVEX_VERSION_TEXT ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${HALVEX_BUILD_NUMBER})

function(halvex_compile_options target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX,C>:-Wall -Wextra -Wpedantic -Wshadow -Wno-unused-parameter>)
  if(HALVEX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(HALVEX_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# Embeds four 16-bit version numbers in an ELF section ".halvex_version"
# (see platform/include/platform/version.h for the layout).
function(halvex_embed_version target)
  set(HALVEX_VERSION_MAJOR ${PROJECT_VERSION_MAJOR})
  set(HALVEX_VERSION_MINOR ${PROJECT_VERSION_MINOR})
  set(HALVEX_VERSION_PATCH ${PROJECT_VERSION_PATCH})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.c)
  configure_file(${HALVEX_VERSION_TEMPLATE} ${out} @ONLY)
  target_sources(${target} PRIVATE ${out})
endfunction()

# An installed program: a command for the user, listed in the global property HALVEX_PROGRAMS.
function(halvex_program target)
  add_executable(${target} ${ARGN})
  set_property(GLOBAL APPEND PROPERTY HALVEX_PROGRAMS ${target})
  halvex_compile_options(${target})
  halvex_embed_version(${target})
  # Every program answers --help and --version through the platform layer.
  target_link_libraries(${target} PRIVATE halvex_platform)
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/../${HALVEX_LIB_DIR}")
  install(TARGETS ${target} RUNTIME DESTINATION ${HALVEX_BIN_DIR})
endfunction()

function(halvex_library target)
  add_library(${target} SHARED ${ARGN})
  halvex_compile_options(${target})
  halvex_embed_version(${target})
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN"
    CXX_VISIBILITY_PRESET default)
  install(TARGETS ${target} LIBRARY DESTINATION ${HALVEX_LIB_DIR})
endfunction()

# A module loaded by name at run time: no "lib" prefix, exact output name.
function(halvex_plugin target output_name)
  add_library(${target} MODULE ${ARGN})
  halvex_compile_options(${target})
  halvex_embed_version(${target})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${output_name}
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${HALVEX_PLUGIN_DIR}
    INSTALL_RPATH "$ORIGIN/..")
  install(TARGETS ${target} LIBRARY DESTINATION ${HALVEX_PLUGIN_DIR})
endfunction()

# A GoogleTest program registered with CTest. Tests run under the offscreen Qt platform; with
# XVFB first they run under a virtual X display (xvfb-run) with the xcb platform instead.
#   halvex_test(target [XVFB] source...)
function(halvex_test target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "XVFB" "" "")
  add_executable(${target} ${arg_UNPARSED_ARGUMENTS})
  halvex_compile_options(${target})
  target_link_libraries(${target} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    INSTALL_RPATH "$ORIGIN/../${HALVEX_LIB_DIR}")
  set(platform offscreen)
  if(arg_XVFB)
    set(platform xcb)
    add_test(NAME ${target}
      COMMAND xvfb-run -a -s "-screen 0 1280x800x24" $<TARGET_FILE:${target}>)
    # The X keyboard library reads past the ends of its strings when the platform connects.
    set_tests_properties(${target} PROPERTIES
      ENVIRONMENT_MODIFICATION "ASAN_OPTIONS=string_append::strict_string_checks=0")
  else()
    add_test(NAME ${target} COMMAND ${target})
  endif()
  set_tests_properties(${target} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=${platform};HALVEX_BUILD_DIR=${CMAKE_BINARY_DIR};HALVEX_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
    TIMEOUT 600)
endfunction()

# A Google Benchmark program; not installed, not run by the tests.
function(halvex_bench target)
  add_executable(${target} ${ARGN})
  halvex_compile_options(${target})
  target_link_libraries(${target} PRIVATE benchmark::benchmark Threads::Threads)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench
    INSTALL_RPATH "$ORIGIN/../${HALVEX_LIB_DIR}")
endfunction()

# A fuzz target: a libFuzzer binary when HALVEX_FUZZ is on (clang), otherwise a
# regression test that replays the target's seed corpus folder through the same entry point.
function(halvex_fuzz_target target corpus_dir)
  add_executable(${target} ${ARGN})
  halvex_compile_options(${target})
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz
    INSTALL_RPATH "$ORIGIN/../${HALVEX_LIB_DIR}")
  if(HALVEX_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  else()
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
    if(HALVEX_BUILD_TESTS)
      add_test(NAME ${target}_replay COMMAND ${target} ${corpus_dir})
    endif()
  endif()
endfunction()

# Copies files into the build tree at build time, so an edited source reaches the build tree
# without configuring again; each keeps its permissions. Paths are relative to the calling
# folder; DESTINATION is relative to the build tree.
#   halvex_mirror_files(NAME DESTINATION dir FILES file...)
function(halvex_mirror_files name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DESTINATION" "FILES")
  set(outputs)
  foreach(file IN LISTS arg_FILES)
    get_filename_component(source ${file} ABSOLUTE)
    get_filename_component(file_name ${file} NAME)
    set(output ${CMAKE_BINARY_DIR}/${arg_DESTINATION}/${file_name})
    add_custom_command(OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/${arg_DESTINATION}
      COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}
      DEPENDS ${source} VERBATIM)
    list(APPEND outputs ${output})
  endforeach()
  add_custom_target(${name} ALL DEPENDS ${outputs})
endfunction()

# Gives a module the icons it carries (see kModuleIconSymbol in platform/modules.h): each PNG
# file is compiled into the module under its icon number, and the module exports
# halvex_module_icon to hand the bytes out.
#   halvex_module_icons(target ID file.png [ID file.png ...])
function(halvex_module_icons target)
  set(arrays "")
  set(cases "")
  set(args ${ARGN})
  while(args)
    list(POP_FRONT args id file)
    get_filename_component(file ${file} ABSOLUTE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
    file(READ ${file} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(APPEND arrays "static const unsigned char icon_${id}[] = {${bytes}};\n")
    string(APPEND cases "  case ${id}:\n    *size = sizeof icon_${id};\n    return icon_${id};\n")
  endwhile()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_icons.c)
  file(WRITE ${out}.new "/* Generated by halvex_module_icons. */\n#include <stddef.h>\n${arrays}\n"
    "__attribute__((visibility(\"default\"))) const unsigned char* halvex_module_icon(int id, size_t* size)\n"
    "{\n  switch (id) {\n${cases}  default:\n    return 0;\n  }\n}\n")
  file(COPY_FILE ${out}.new ${out} ONLY_IF_DIFFERENT)
  target_sources(${target} PRIVATE ${out})
endfunction()
