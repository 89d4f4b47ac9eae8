# Turns the string table text file into a C++ source file holding it as a raw string literal.
file(READ ${IN} _content)
string(FIND "${_content}" ")ZORVA_STRINGS\"" _bad)
if(NOT _bad EQUAL -1)
  message(FATAL_ERROR "strings.txt must not contain the literal delimiter")
endif()
file(WRITE ${OUT}.tmp
"// Generated from src/resources/strings.txt; do not edit.\n"
"namespace zorva { extern const char* const kStringTableText; }\n"
"const char* const zorva::kStringTableText = R\"ZORVA_STRINGS(${_content})ZORVA_STRINGS\";\n")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
