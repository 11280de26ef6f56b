# Writes a C++ source that holds the bytes of one text file as a constant.
#
#   cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DNAMESPACE=<ns> -DFUNCTION=<name> -P embed_text.cmake
#
# The generated source defines `std::string_view <ns>::<name>()` returning the
# file's text. The bytes are written as hex character codes, so no content of
# the file can end the literal early, and the text stays byte-exact.
foreach(var INPUT OUTPUT NAMESPACE FUNCTION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "embed_text.cmake: ${var} is not set")
  endif()
endforeach()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR byte_count "${hex_length} / 2")
# Sixteen bytes per line: '\x7b','\x0a',...
string(REPEAT "[0-9a-f]" 32 line_of_hex)
string(REGEX REPLACE "(${line_of_hex})" "\\1\n    " bytes "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${bytes}")

file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT} by embed_text.cmake; edit the source file instead.
#include <string_view>

namespace ${NAMESPACE} {
namespace {
constexpr char text[${byte_count} + 1] = {
    ${bytes}'\\0'};
}  // namespace

std::string_view ${FUNCTION}() { return std::string_view(text, ${byte_count}); }

}  // namespace ${NAMESPACE}
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
