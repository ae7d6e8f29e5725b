# Writes OUTPUT, a C++ header holding the bytes of INPUT as the array NAME,
# so that the installed program carries the text it prints.
#   cmake -DINPUT=… -DOUTPUT=… -DNAME=… -P embed_text.cmake
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Made from ${INPUT} at build time; do not edit.\n#pragma once\n\n"
  "inline constexpr unsigned char ${NAME}[] = {\n${bytes}\n};\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
