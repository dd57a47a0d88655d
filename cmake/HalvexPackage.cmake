# The Debian package (scripts/package). The relocatable tree goes to CMAKE_INSTALL_PREFIX
# (/opt/halvex) as in any installation; around it comes what a Debian desktop expects under
# /usr and /etc: a launcher in /usr/bin for every program, manual pages made from the programs'
# own --help and --version by help2man, desktop entries with hicolor icons scaled from the
# programs' own icons, the suite file type, links through which GStreamer finds our plug-ins,
# the autostart entry of the run-once entries, copyright and changelog.
set(HALVEX_PACKAGE_SOURCE ${PROJECT_SOURCE_DIR}/share/package)
set(HALVEX_PACKAGE_FILES ${CMAKE_BINARY_DIR}/package-files)
set(HALVEX_PACKAGE_MAINTAINER "Halvex developers <halvex@orvane.example>"
  CACHE STRING "Maintainer field of the Debian package")

find_program(HALVEX_HELP2MAN help2man REQUIRED)
find_program(HALVEX_GZIP gzip REQUIRED)
pkg_get_variable(HALVEX_GST_SYSTEM_PLUGIN_DIR gstreamer-1.0 pluginsdir)
find_package(Qt6 REQUIRED COMPONENTS Gui)

# Programs that read the harness settings: their launchers set up a new user's registry first.
set(HALVEX_FIRST_START_PROGRAMS halvex halvex-suite)

# Launchers and manual pages, one of each per program.
file(RELATIVE_PATH HALVEX_TREE_FROM_LAUNCHER /usr/bin ${CMAKE_INSTALL_PREFIX})
set(halvex_manual_pages)
foreach(program ${HALVEX_PROGRAMS})
  set(PROGRAM ${program})
  set(TREE_FROM_LAUNCHER ${HALVEX_TREE_FROM_LAUNCHER})
  set(FIRST_START "")
  if(program IN_LIST HALVEX_FIRST_START_PROGRAMS)
    string(CONCAT FIRST_START
      "# A new user's registry is set up first; should that fail, the program\n"
      "# starts all the same and says what it misses.\n"
      "\"$tree/bin/halvex-first-start\" || true\n")
  endif()
  configure_file(${HALVEX_PACKAGE_SOURCE}/launcher.in ${HALVEX_PACKAGE_FILES}/bin/${program} @ONLY)
  install(PROGRAMS ${HALVEX_PACKAGE_FILES}/bin/${program} DESTINATION /usr/bin)

  set(page ${HALVEX_PACKAGE_FILES}/man/${program}.1)
  set(include ${HALVEX_PACKAGE_SOURCE}/man/${program}.h2m)
  set(include_option)
  if(EXISTS ${include})
    set(include_option --include=${include})
  else()
    set(include)
  endif()
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${HALVEX_PACKAGE_FILES}/man
    COMMAND ${HALVEX_HELP2MAN} --no-info ${include_option} --output=${page}
            $<TARGET_FILE:${program}>
    COMMAND ${HALVEX_GZIP} -9nf ${page}
    DEPENDS ${program} ${include}
    COMMENT "Manual page of ${program}" VERBATIM)
  list(APPEND halvex_manual_pages ${page}.gz)
  install(FILES ${page}.gz DESTINATION /usr/share/man/man1)
endforeach()
add_custom_target(halvex_manual_pages ALL DEPENDS ${halvex_manual_pages})

# Icons of the hicolor theme at the usual sizes, from the icons the programs show.
add_executable(halvex_iconscale ${CMAKE_CURRENT_LIST_DIR}/iconscale.cpp)
halvex_compile_options(halvex_iconscale)
target_link_libraries(halvex_iconscale PRIVATE Qt6::Gui)
set(halvex_icons)
foreach(app_icon "halvex=${PROJECT_SOURCE_DIR}/harness/resources/halvex/icons/halvex.png"
                 "parlo=${PROJECT_SOURCE_DIR}/parlo/resources/parlo.png")
  string(REPLACE "=" ";" app_icon ${app_icon})
  list(GET app_icon 0 app)
  list(GET app_icon 1 source)
  foreach(size 16 22 24 32 48 64 128 256)
    set(folder ${HALVEX_PACKAGE_FILES}/icons/${size}x${size}/apps)
    add_custom_command(OUTPUT ${folder}/${app}.png
      COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
      COMMAND halvex_iconscale ${source} ${size} ${folder}/${app}.png
      DEPENDS halvex_iconscale ${source} VERBATIM)
    list(APPEND halvex_icons ${folder}/${app}.png)
    install(FILES ${folder}/${app}.png DESTINATION /usr/share/icons/hicolor/${size}x${size}/apps)
  endforeach()
endforeach()
add_custom_target(halvex_icons ALL DEPENDS ${halvex_icons})

install(FILES ${HALVEX_PACKAGE_SOURCE}/halvex.desktop ${HALVEX_PACKAGE_SOURCE}/parlo.desktop
  DESTINATION /usr/share/applications)
install(FILES ${HALVEX_PACKAGE_SOURCE}/halvex.xml DESTINATION /usr/share/mime/packages)
install(FILES ${HALVEX_PACKAGE_SOURCE}/halvex-runonce.desktop DESTINATION /etc/xdg/autostart)

# GStreamer finds our plug-ins in its own folder through links into the tree. The loader takes
# $ORIGIN from the link's folder, not the target's, so each plug-in also looks for the tree's
# libraries relative to GStreamer's folder.
function(halvex_collect_targets folder result)
  get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
  foreach(subfolder ${subfolders})
    halvex_collect_targets(${subfolder} more)
    list(APPEND targets ${more})
  endforeach()
  set(${result} ${targets} PARENT_SCOPE)
endfunction()
halvex_collect_targets(${PROJECT_SOURCE_DIR} halvex_all_targets)
file(RELATIVE_PATH HALVEX_LIB_FROM_GST ${HALVEX_GST_SYSTEM_PLUGIN_DIR}
  ${CMAKE_INSTALL_PREFIX}/${HALVEX_LIB_DIR})
foreach(target ${halvex_all_targets})
  get_target_property(output_folder ${target} LIBRARY_OUTPUT_DIRECTORY)
  if(NOT output_folder STREQUAL "${CMAKE_BINARY_DIR}/${HALVEX_GST_PLUGIN_DIR}")
    continue()
  endif()
  set_property(TARGET ${target} APPEND PROPERTY INSTALL_RPATH "$ORIGIN/${HALVEX_LIB_FROM_GST}")
  set(name $<TARGET_FILE_NAME:${target}>)
  install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}${HALVEX_GST_SYSTEM_PLUGIN_DIR}\")
    file(CREATE_LINK \"${CMAKE_INSTALL_PREFIX}/${HALVEX_GST_PLUGIN_DIR}/${name}\"
         \"\$ENV{DESTDIR}${HALVEX_GST_SYSTEM_PLUGIN_DIR}/${name}\" SYMBOLIC)")
endforeach()

# Copyright, changelog and what lintian is told.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${HALVEX_PACKAGE_MAINTAINER})
configure_file(${HALVEX_PACKAGE_SOURCE}/changelog.in ${HALVEX_PACKAGE_FILES}/changelog @ONLY)
add_custom_command(OUTPUT ${HALVEX_PACKAGE_FILES}/changelog.gz
  COMMAND ${HALVEX_GZIP} -9nkf ${HALVEX_PACKAGE_FILES}/changelog
  DEPENDS ${HALVEX_PACKAGE_FILES}/changelog VERBATIM)
add_custom_target(halvex_changelog ALL DEPENDS ${HALVEX_PACKAGE_FILES}/changelog.gz)
install(FILES ${HALVEX_PACKAGE_SOURCE}/copyright ${HALVEX_PACKAGE_FILES}/changelog.gz
  DESTINATION /usr/share/doc/halvex)
install(FILES ${HALVEX_PACKAGE_SOURCE}/lintian-overrides DESTINATION /usr/share/lintian/overrides
  RENAME halvex)

# The package. Library dependencies come from dpkg-shlibdeps; what the programs start or load
# by name at run time (GStreamer elements of the capture graphs, the floppy tools) is named.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME halvex)
set(CPACK_PACKAGE_VERSION ${HALVEX_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR Orvane)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop test harness for validating PC hardware")
set(CPACK_PACKAGE_DESCRIPTION "Test engineers drag test cases from plug-in components into test suites, save
and run them; the harness shows and files every log line and result. Marlow
runs external test programs described in .ini files; Kestrel validates video
capture inputs with the measuring GStreamer filter sorrel. parlo shows the log
and results files.")
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, mtools, dosfstools")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-tools, dosbox")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${HALVEX_PACKAGE_SOURCE}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
