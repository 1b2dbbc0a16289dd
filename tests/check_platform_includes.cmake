# Runs cmake/CheckPlatformIncludes.cmake on small source trees and checks its
# verdict: every way of including an X11 or Wayland header outside its backend
# stops the build, the backend itself and mere mentions do not.
#
#   cmake -DCHECK_SCRIPT=<CheckPlatformIncludes.cmake> -DWORK_DIR=<scratch> -P check_platform_includes.cmake

# name | file (relative to the tree) | its line | 1 when the check must fail
set(cases
  "xcb header|overlay/Window.cpp|#include <xcb/xcb.h>|1"
  "xlib header|app/App.h|#include <X11/Xlib.h>|1"
  "quoted, spaced|ui/View.cpp|#  include \"xcb/xfixes.h\"|1"
  "xkbcommon x11|app/Keys.cpp|#include <xkbcommon/xkbcommon-x11.h>|1"
  "platform but not x11|platform/qt/Fallback.cpp|#include <X11/extensions/XTest.h>|1"
  "a folder named like the backend|x11/Elsewhere.cpp|#include <xcb/shm.h>|1"
  "the backend's path further down|ui/platform/x11/Copy.cpp|#include <xcb/xcb.h>|1"
  "in the backend|platform/x11/Backend.cpp|#include <xcb/xcb.h>|0"
  "in the backend, deeper|platform/x11/detail/Deep.h|#include <X11/Xlib.h>|0"
  "a comment naming the header|overlay/Notes.cpp|// Qt includes <xcb/xcb.h> for us|0"
  "plain xkbcommon|app/Layout.cpp|#include <xkbcommon/xkbcommon.h>|0"
  "a Qt header|app/Native.cpp|#include <QtGui/qguiapplication_platform.h>|0"
  "libwayland outside its backend|overlay/Surface.cpp|#include <wayland-client.h>|1"
  "generated protocol header|platform/x11/Layer.cpp|#include \"xdg-output-unstable-v1-client-protocol.h\"|1"
  "xcb in the Wayland backend|platform/wayland/Mixed.cpp|#include <xcb/xcb.h>|1"
  "in the Wayland backend|platform/wayland/Output.cpp|#include <wayland-client.h>|0")

set(failures "")
set(i 0)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 name)
  list(GET fields 1 file)
  list(GET fields 2 line)
  list(GET fields 3 mustFail)
  math(EXPR i "${i} + 1")
  set(tree ${WORK_DIR}/tree${i})
  file(REMOVE_RECURSE ${tree})
  file(WRITE ${tree}/main.cpp "int main() { return 0; }\n")
  file(WRITE ${tree}/${file} "// ${name}\n${line}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${tree} -DALLOWED=platform/x11 -P ${CHECK_SCRIPT}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(result EQUAL 0)
    set(failed 0)
  else()
    set(failed 1)
  endif()
  if(NOT failed EQUAL mustFail)
    string(APPEND failures "\n  ${name}: expected ${mustFail}, got ${failed} ${err}")
  elseif(failed AND NOT err MATCHES "${file}")
    string(APPEND failures "\n  ${name}: the message does not name ${file}: ${err}")
  endif()
  file(REMOVE_RECURSE ${tree})
endforeach()

if(failures)
  message(FATAL_ERROR "CheckPlatformIncludes.cmake gave the wrong verdict:${failures}")
endif()
message(STATUS "${i} trees checked")
