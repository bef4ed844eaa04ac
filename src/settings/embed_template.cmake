# Turns config_template.ini into a C++ source holding its bytes exactly (the file is
# Windows-1252, so it cannot pass through a string literal in a UTF-8 source unharmed).
# Included with INPUT and OUTPUT set.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
# Twenty bytes a line.
string(REPEAT "[0-9a-f]" 40 twenty_bytes)
string(REGEX REPLACE "(${twenty_bytes})" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPLACE "\n" "\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.new"
  "// Generated from config_template.ini by embed_template.cmake; edit that file instead.\n"
  "#include <cstddef>\n\n"
  "namespace quorvane {\n\n"
  "extern const unsigned char kConfigTemplateBytes[];\n"
  "extern const std::size_t kConfigTemplateSize;\n"
  "const unsigned char kConfigTemplateBytes[] = {\n    ${bytes}0x00};\n"
  "const std::size_t kConfigTemplateSize = ${size};\n\n"
  "}  // namespace quorvane\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
