# Fails when a file under SOURCE_DIR, outside the folder ALLOWED (relative to
# SOURCE_DIR), includes a header of xcb or Xlib: the X11 backend is the one
# place that may talk to the X server, everything else goes through the
# platform interfaces.
#
#   cmake -DSOURCE_DIR=<dir> -DALLOWED=<subdir> -P CheckPlatformIncludes.cmake

if(NOT SOURCE_DIR OR NOT ALLOWED)
  message(FATAL_ERROR "CheckPlatformIncludes.cmake: set SOURCE_DIR and ALLOWED")
endif()

file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}
  ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.hpp ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.cc ${SOURCE_DIR}/*.in)
# <xcb/...>, <X11/...> (Xlib), and xkbcommon's X11 half, which pulls in xcb.
set(pattern "#[ \t]*include[ \t]*[<\"](xcb/|X11/|xkbcommon/xkbcommon-x11)[^>\"]*[>\"]")
set(offenders "")
foreach(file IN LISTS files)
  if(file MATCHES "^${ALLOWED}/")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "${pattern}")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    string(APPEND offenders "\n  ${SOURCE_DIR}/${file}: ${line}")
  endforeach()
endforeach()

if(offenders)
  message(FATAL_ERROR "Only ${SOURCE_DIR}/${ALLOWED}/ may include X11 headers; "
                      "use the interfaces of platform/Platform.h instead (or move the code into the X11 backend):"
                      "${offenders}")
endif()
