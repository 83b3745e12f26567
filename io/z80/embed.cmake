# Turns an assembled program and its symbol table into a C++ header: the bytes, and every label
# and EQU as a constant, so C++ finds the bytes it sets per file by the names the source gives.
# Usage: cmake -DNAME=show_raw -DBIN=show_raw.bin -DSYMBOLS=show_raw.sym -DOUT=show_raw.h -P embed.cmake
file(READ ${BIN} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR count "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n    " bytes "${bytes}")

file(STRINGS ${SYMBOLS} lines)
set(constants "")
foreach(line IN LISTS lines)
  if(line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)[ \t]+EQU[ \t]+0?([0-9A-Fa-f]+)H$")
    string(APPEND constants "inline constexpr int ${CMAKE_MATCH_1} = 0x${CMAKE_MATCH_2};\n")
  endif()
endforeach()

file(WRITE ${OUT}.new "// Assembled from io/z80/${NAME}.asm during the build; edit the source, not this.
#pragma once

#include <array>
#include <cstdint>

namespace vorbix::z80::${NAME} {

${constants}
inline constexpr std::array<std::uint8_t, ${count}> bytes{
    ${bytes}
};

}  // namespace vorbix::z80::${NAME}
")
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.new)
