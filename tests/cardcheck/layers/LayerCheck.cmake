# SPDX-License-Identifier: MIT
# Checks that cardcheck's folders include one another one way only:
#   sheet -> report -> ui -> adapter -> resources -> common
# (a folder may use any folder below it), that adapter and resources include
# nothing of Qt, and that the window-free library (CORE_SOURCES, separated
# by "|") includes nothing of Qt either.
#
#   cmake -DROOT=<cardcheck folder> [-DCORE_SOURCES=a.cpp|b.cpp] [-DREPORT_ONLY=ON]
#         -P LayerCheck.cmake
#
# Every breach is printed as "<file>: <what>"; the script fails when there is
# one, unless REPORT_ONLY is set (the check's own test reads the lines).
cmake_minimum_required(VERSION 3.25)

set(layers resources adapter ui report sheet)
set(no_qt_layers resources adapter)

set(breaches "")
macro(breach file what)
  file(RELATIVE_PATH rel ${ROOT} ${file})
  list(APPEND breaches "${rel}: ${what}")
endmacro()

foreach(layer IN LISTS layers)
  list(FIND layers ${layer} rank)
  file(GLOB files LIST_DIRECTORIES false ${ROOT}/${layer}/*.h ${ROOT}/${layer}/*.cpp)
  list(SORT files)
  foreach(file IN LISTS files)
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*" "\\1" included "${line}")
      string(REGEX MATCH "^[^/]+" first "${included}")
      list(FIND layers "${first}" included_rank)
      # "ui/MessageBox.h" is common's; only a file that exists in the
      # program's folder of that name counts as the program's.
      if(included_rank GREATER -1 AND EXISTS ${ROOT}/${included})
        if(included_rank GREATER rank)
          breach(${file} "includes ${included}, a folder above ${layer}")
        endif()
      endif()
      if(layer IN_LIST no_qt_layers AND included MATCHES "^Q")
        breach(${file} "includes Qt header ${included}")
      endif()
    endforeach()
  endforeach()
endforeach()

string(REPLACE "|" ";" core_sources "${CORE_SOURCES}")
foreach(source IN LISTS core_sources)
  get_filename_component(source ${source} ABSOLUTE BASE_DIR ${ROOT})
  string(REGEX REPLACE "\\.cpp$" ".h" header ${source})
  foreach(file ${source} ${header})
    if(NOT EXISTS ${file})
      continue()
    endif()
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*<Q")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*<([^>]*)>.*" "\\1" included "${line}")
      breach(${file} "is in the window-free library, includes Qt header ${included}")
    endforeach()
  endforeach()
endforeach()

foreach(line IN LISTS breaches)
  message("${line}")
endforeach()
list(LENGTH breaches count)
if(count GREATER 0 AND NOT REPORT_ONLY)
  message(FATAL_ERROR "${count} include(s) against the folders' order")
endif()
message("checked: ${count} breach(es)")
