# The names of the hot keys are spelt in three places that must agree: the
# command table (a command's verb, or verb-N for the N-th key of a command
# that takes a number, as CommandRegistry names them), the Shell extension's
# list of the names it binds, and the extension's settings schema.
#   cmake -DSOURCE_DIR=<src> -P check_shortcut_names.cmake

file(READ ${SOURCE_DIR}/app/Commands.cpp table)
string(REGEX MATCHALL "\\.verb = \"[a-z-]+\"|\\.argument = |{\"[A-Z]+[0-9]*\", " tokens "${table}")
set(commands "")
set(verb "")
foreach(token IN LISTS tokens ITEMS ".verb = \"\"")
  if(token MATCHES "^\\.verb = \"(.*)\"$")
    if(keys EQUAL 1 AND NOT numbered)
      list(APPEND commands ${verb})
    elseif(keys GREATER 0)
      foreach(n RANGE 1 ${keys})
        list(APPEND commands ${verb}-${n})
      endforeach()
    endif()
    set(verb ${CMAKE_MATCH_1})
    set(keys 0)
    set(numbered FALSE)
  elseif(token MATCHES "^\\.argument")
    set(numbered TRUE)
  else()
    math(EXPR keys "${keys} + 1")
  endif()
endforeach()

file(READ ${SOURCE_DIR}/platform/gnome/extension/guide.js guide)
string(REGEX MATCH "TOVANI_SHORTCUTS = \\[[^]]*\\]" list "${guide}")
string(REGEX MATCHALL "'[a-z0-9-]+'" extension "${list}")
string(REPLACE "'" "" extension "${extension}")

file(READ ${SOURCE_DIR}/platform/gnome/extension/org.gnome.shell.extensions.tovani.gschema.xml xml)
string(REGEX MATCHALL "<key name=\"[a-z0-9-]+\"" schema "${xml}")
string(REGEX REPLACE "<key name=\"([a-z0-9-]+)\"" "\\1" schema "${schema}")

foreach(names commands extension schema)
  list(SORT ${names})
endforeach()
if(NOT commands OR NOT commands STREQUAL extension OR NOT commands STREQUAL schema)
  message(FATAL_ERROR "the shortcut names disagree:\n  Commands.cpp: ${commands}\n"
                      "  guide.js: ${extension}\n  gschema.xml: ${schema}")
endif()
