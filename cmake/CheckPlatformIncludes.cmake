# Fails when a file under SOURCE_DIR includes the headers of a window system
# outside its backend: xcb or Xlib outside the folder ALLOWED, libwayland or
# generated Wayland protocol headers outside ALLOWED_WAYLAND (both relative to
# SOURCE_DIR; the latter defaults to platform/wayland). A backend is the one
# place that may talk to its display server, everything else goes through the
# platform interfaces.
#
#   cmake -DSOURCE_DIR=<dir> -DALLOWED=<subdir> [-DALLOWED_WAYLAND=<subdir>] -P CheckPlatformIncludes.cmake

if(NOT SOURCE_DIR OR NOT ALLOWED)
  message(FATAL_ERROR "CheckPlatformIncludes.cmake: set SOURCE_DIR and ALLOWED")
endif()
if(NOT ALLOWED_WAYLAND)
  set(ALLOWED_WAYLAND platform/wayland)
endif()

file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}
  ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.hpp ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.cc ${SOURCE_DIR}/*.in)
# <xcb/...>, <X11/...> (Xlib), and xkbcommon's X11 half, which pulls in xcb.
set(x11_pattern "#[ \t]*include[ \t]*[<\"](xcb/|X11/|xkbcommon/xkbcommon-x11)[^>\"]*[>\"]")
# <wayland-client.h> and its kin, and what wayland-scanner generates.
set(wayland_pattern "#[ \t]*include[ \t]*[<\"](wayland-[^>\"]*|[^>\"]*-client-protocol\\.h)[>\"]")
set(offenders "")
foreach(file IN LISTS files)
  foreach(kind x11 wayland)
    if(kind STREQUAL "x11")
      set(allowed ${ALLOWED})
    else()
      set(allowed ${ALLOWED_WAYLAND})
    endif()
    if(file MATCHES "^${allowed}/")
      continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "${${kind}_pattern}")
    foreach(line IN LISTS lines)
      string(STRIP "${line}" line)
      string(APPEND offenders "\n  ${SOURCE_DIR}/${file}: ${line}")
    endforeach()
  endforeach()
endforeach()

if(offenders)
  message(FATAL_ERROR "Only ${SOURCE_DIR}/${ALLOWED}/ may include X11 headers, and only "
                      "${SOURCE_DIR}/${ALLOWED_WAYLAND}/ Wayland headers; use the interfaces of "
                      "platform/Platform.h instead (or move the code into the backend):"
                      "${offenders}")
endif()
