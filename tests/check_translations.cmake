# Runs lupdate over src/ into copies of translations/*.ts, as the
# update_translations target does, and fails when a text of the program lacks
# a finished translation (a new tr() nobody translated, an entry left
# unfinished), when a translation drops or adds a placeholder (%1, %n), or when
# the committed file is not what lupdate makes of it (a text gone from src/).
#
#   cmake -DLUPDATE=<lupdate> -DSOURCE_DIR=<src> -DTS_DIR=<translations>
#         -DWORK_DIR=<scratch> "-DOPTIONS=<lupdate options>" -P check_translations.cmake

cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(GLOB ts_files "${TS_DIR}/tovani_*.ts")
if(NOT ts_files)
  message(FATAL_ERROR "no translations in ${TS_DIR}")
endif()

set(failures "")
foreach(ts IN LISTS ts_files)
  get_filename_component(name "${ts}" NAME)
  file(COPY "${ts}" DESTINATION "${WORK_DIR}")
  set(only "")
  if(name STREQUAL "tovani_en.ts")
    set(only -pluralonly)
  endif()
  execute_process(COMMAND "${LUPDATE}" ${OPTIONS} ${only} "${SOURCE_DIR}" -ts "${WORK_DIR}/${name}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "lupdate failed on ${name}:\n${out}")
  endif()
  file(READ "${WORK_DIR}/${name}" updated)
  file(READ "${ts}" committed)

  # One <message> at a time, as the items of a CMake list (so the characters
  # with a meaning in lists are replaced first).
  string(REPLACE ";" "&#59;" messages "${updated}")
  string(REPLACE "[" "&#91;" messages "${messages}")
  string(REPLACE "]" "&#93;" messages "${messages}")
  string(REPLACE "\\" "&#92;" messages "${messages}")
  string(REPLACE "</message>" ";" messages "${messages}")
  foreach(message IN LISTS messages)
    if(NOT message MATCHES "<source>([^<]*)</source>")
      continue()
    endif()
    set(source "${CMAKE_MATCH_1}")
    string(REGEX MATCH "<translation[^>]*>.*</translation>" translation "${message}")
    if(translation MATCHES "type=\"unfinished\"")
      string(APPEND failures "  ${name}: not translated: \"${source}\"\n")
      continue()
    endif()
    string(REGEX MATCHALL "%[0-9n]" wanted "${source}")
    list(REMOVE_DUPLICATES wanted)
    list(SORT wanted)
    string(REGEX MATCHALL "<numerusform>[^<]*</numerusform>" forms "${translation}")
    if(NOT forms)
      set(forms "${translation}")
    endif()
    foreach(form IN LISTS forms)
      string(REGEX MATCHALL "%[0-9n]" found "${form}")
      list(REMOVE_DUPLICATES found)
      list(SORT found)
      if(NOT found STREQUAL wanted)
        string(APPEND failures "  ${name}: placeholders ${found} instead of ${wanted} in \"${source}\"\n")
      endif()
    endforeach()
  endforeach()

  if(NOT updated STREQUAL committed)
    string(APPEND failures "  ${name}: out of date with src/ (texts gone or changed)\n")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "Translations are incomplete; run `cmake --build build --target update_translations`, "
                      "translate, and run this test again:\n${failures}")
endif()
message(STATUS "every text of src/ is translated in ${TS_DIR}")
