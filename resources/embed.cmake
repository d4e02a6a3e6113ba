# Writes IN as a byte array named SYMBOL into the C++ file OUT.
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" hexlen)
math(EXPR size "${hexlen} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUT} "#include <cstddef>\n#include <string_view>\nstatic const unsigned char data_[] = {\n${bytes}0x00};\nextern const std::string_view ${SYMBOL};\nconst std::string_view ${SYMBOL}(reinterpret_cast<const char*>(data_), ${size});\n")
