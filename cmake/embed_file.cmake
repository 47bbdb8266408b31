# Turns a file into a C++ source that defines `std::string_view FUNCTION()` returning its bytes,
# so that the program carries the file inside itself.
#   cmake -DINPUT=FILE -DOUTPUT=FILE.cpp -DHEADER=name.h -DFUNCTION=name -P embed_file.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
# Sixteen bytes a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPEAT "0x..," 16 line_pattern)
string(REGEX REPLACE "(${line_pattern})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT} by cmake/embed_file.cmake; do not edit.
#include \"${HEADER}\"

namespace {

constexpr unsigned char kBytes[${size}] = {
    ${bytes}
};

}  // namespace

std::string_view ${FUNCTION}() {
    return {reinterpret_cast<const char*>(kBytes), sizeof kBytes};
}
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
