# The installed programs (every halvex_program) as one list, read once all folders are added:
# a target that builds them all, and programs.txt in the build folder for the tests that run
# each of them.
get_property(HALVEX_PROGRAMS GLOBAL PROPERTY HALVEX_PROGRAMS)
add_custom_target(halvex_programs)
add_dependencies(halvex_programs ${HALVEX_PROGRAMS})
list(JOIN HALVEX_PROGRAMS "\n" halvex_program_lines)
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/programs.txt CONTENT "${halvex_program_lines}\n")
