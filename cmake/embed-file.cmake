# cmake -DINPUT=FILE -DOUTPUT=FILE.cpp -DNAME=SYMBOL -DHEADER=path/to.h -P embed-file.cmake
# Writes FILE's bytes as `const unsigned char SYMBOL[]` and their count as
# `const size_t SYMBOLSize` into a C++ source that includes HEADER (which
# declares both).
file(READ "${INPUT}" bytes HEX)
string(LENGTH "${bytes}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.new"
  "// Generated from ${INPUT} by cmake/embed-file.cmake; do not edit.\n"
  "#include \"${HEADER}\"\n\n"
  "const unsigned char ${NAME}[${size}] = {\n    ${bytes}\n};\n"
  "const size_t ${NAME}Size = ${size};\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
