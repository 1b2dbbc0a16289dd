# Writes one variant of the extension: the entry point ENTRY with the shared
# body BODY in place of its marker line, as OUT.
#   cmake -DENTRY=legacy.js -DBODY=guide.js -DOUT=.../extension.js -P assemble.cmake
file(READ ${ENTRY} entry)
file(READ ${BODY} body)
string(FIND "${entry}" "// @TOVANI_GUIDE@\n" at)
if(at LESS 0)
  message(FATAL_ERROR "${ENTRY} has no // @TOVANI_GUIDE@ line")
endif()
string(REPLACE "// @TOVANI_GUIDE@\n" "${body}" out "${entry}")
file(WRITE ${OUT}.tmp "${out}")
file(RENAME ${OUT}.tmp ${OUT})
