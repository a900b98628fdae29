# SPDX-License-Identifier: MIT
# Checks who may include whom, over the whole tree (tests and tools excepted):
#
# - every project include names its header from the top of the tree
#   ("common/ui/MessageBox.h"); only generated headers (ui_*.h, *.moc) are flat;
# - the programs (cardcheck, nicsetup, regtool, vxsrvnt) never include one
#   another, nor a plug-in of libraries/;
# - nothing outside a program includes it, except the plug-ins, which may
#   include cardcheck's contract header and nothing else of it;
# - plug-ins include only the contract, the shared kernel access (linux/),
#   common/ and their own kind's folder of libraries/;
# - linux/ and common/ include no program and no plug-in, linux/ nothing of Qt;
# - inside cardcheck the folders depend one way,
#     sheet -> report -> ui -> adapter -> resources -> common,
#   adapter and resources include nothing of Qt, and neither does the
#   window-free library (CORE_SOURCES separated by "|", paths from CORE_BASE,
#   which defaults to ROOT).
#
#   cmake -DROOT=<top of the tree> [-DCORE_SOURCES=a.cpp|b.cpp] [-DCORE_BASE=<folder>]
#         [-DREPORT_ONLY=ON]
#         -P LayerCheck.cmake
#
# Every breach is printed as "<file>: <what>"; the script fails when there is
# one, unless REPORT_ONLY is set (the check's own test reads the lines).
cmake_minimum_required(VERSION 3.25)
get_filename_component(ROOT "${ROOT}" ABSOLUTE)

set(programs cardcheck nicsetup regtool vxsrvnt)
set(tops ${programs} common linux libraries tests tools)
set(contract cardcheck/adapter/AdapterContract.h)
set(cardcheck_layers resources adapter ui report sheet)
set(no_qt_layers resources adapter)

set(breaches "")
macro(breach rel what)
  list(APPEND breaches "${rel}: ${what}")
endmacro()

# The file's place: top folder, and for cardcheck its layer, for a plug-in its kind.
function(place rel top_var second_var)
  string(REGEX MATCH "^[^/]+" top "${rel}")
  string(REGEX REPLACE "^[^/]+/([^/]+)/.*" "\\1" second "${rel}")
  if(second STREQUAL rel)
    set(second "")
  endif()
  set(${top_var} ${top} PARENT_SCOPE)
  set(${second_var} "${second}" PARENT_SCOPE)
endfunction()

function(check_project_include rel included)
  place(${rel} top layer)
  place(${included} itop ilayer)
  if(NOT itop IN_LIST tops)
    return()
  endif()
  set(found "")
  if(top IN_LIST programs AND itop IN_LIST programs AND NOT itop STREQUAL top)
    set(found "includes ${included}, another program")
  elseif(top IN_LIST programs AND itop STREQUAL "libraries")
    set(found "includes ${included}, a plug-in")
  elseif(top STREQUAL "libraries" AND itop IN_LIST programs AND NOT included STREQUAL contract)
    set(found "includes ${included}, a program (only the contract is allowed)")
  elseif(top STREQUAL "libraries" AND itop STREQUAL "libraries" AND NOT ilayer STREQUAL layer)
    set(found "includes ${included}, a plug-in of another kind")
  elseif(top MATCHES "^(common|linux)$" AND (itop IN_LIST programs OR itop STREQUAL "libraries"))
    set(found "includes ${included}, which ${top}/ may not use")
  elseif(top STREQUAL "common" AND itop STREQUAL "linux")
    set(found "includes ${included}, which common/ may not use")
  elseif(top STREQUAL "cardcheck" AND itop STREQUAL "cardcheck")
    list(FIND cardcheck_layers "${layer}" rank)
    list(FIND cardcheck_layers "${ilayer}" irank)
    if(rank GREATER -1 AND irank GREATER rank)
      set(found "includes ${included}, a folder above ${layer}")
    endif()
  endif()
  if(found)
    set(breaches ${breaches} "${rel}: ${found}" PARENT_SCOPE)
  endif()
endfunction()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${ROOT}
     ${ROOT}/*.h ${ROOT}/*.cpp ${ROOT}/*.cpp.in)
list(SORT files)
foreach(rel IN LISTS files)
  place(${rel} top layer)
  if(NOT top IN_LIST tops OR top MATCHES "^(tests|tools)$" OR rel MATCHES "^build")
    continue()
  endif()
  file(STRINGS ${ROOT}/${rel} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]*)[>\"].*" "\\1\\2" both "${line}")
    string(SUBSTRING "${both}" 0 1 quote)
    string(SUBSTRING "${both}" 1 -1 included)
    if(quote STREQUAL "\"")
      string(REGEX MATCH "^[^/]+" itop "${included}")
      if(NOT itop IN_LIST tops AND NOT included MATCHES "^ui_[^/]*\\.h$|\\.moc$")
        breach(${rel} "includes ${included}, not named from the top of the tree")
      else()
        check_project_include(${rel} ${included})
      endif()
    elseif(included MATCHES "^Q")
      if(top STREQUAL "linux" OR (top STREQUAL "cardcheck" AND layer IN_LIST no_qt_layers))
        breach(${rel} "includes Qt header ${included}")
      endif()
    endif()
  endforeach()
endforeach()

string(REPLACE "|" ";" core_sources "${CORE_SOURCES}")
if(NOT CORE_BASE)
  set(CORE_BASE ${ROOT})
endif()
get_filename_component(CORE_BASE "${CORE_BASE}" ABSOLUTE)
foreach(source IN LISTS core_sources)
  get_filename_component(source ${source} ABSOLUTE BASE_DIR ${CORE_BASE})
  string(REGEX REPLACE "\\.cpp$" ".h" header ${source})
  foreach(file ${source} ${header})
    if(NOT EXISTS ${file})
      continue()
    endif()
    file(RELATIVE_PATH rel ${ROOT} ${file})
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*<Q")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*<([^>]*)>.*" "\\1" included "${line}")
      breach(${rel} "is in the window-free library, includes Qt header ${included}")
    endforeach()
  endforeach()
endforeach()

foreach(line IN LISTS breaches)
  message("${line}")
endforeach()
list(LENGTH breaches count)
if(count GREATER 0 AND NOT REPORT_ONLY)
  message(FATAL_ERROR "${count} include(s) against the layout")
endif()
message("checked: ${count} breach(es)")
