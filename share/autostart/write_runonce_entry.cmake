# Writes the autostart entry that runs "halvex-reg runonce" at log-in.
# Input variables: TEMPLATE, PROGRAM (absolute path of halvex-reg), OUTPUT.
# The path is quoted by the desktop entry rules: in double quotes, with " ` $ \ behind a
# backslash and % doubled; the string escape then doubles every backslash.
set(exec "${PROGRAM}")
string(REPLACE "\\" "\\\\\\\\" exec "${exec}")
string(REPLACE "\"" "\\\\\"" exec "${exec}")
string(REPLACE "$" "\\\\$" exec "${exec}")
string(REPLACE "`" "\\\\`" exec "${exec}")
string(REPLACE "%" "%%" exec "${exec}")
set(HALVEX_REG_EXEC "\"${exec}\"")
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
