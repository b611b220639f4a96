cmake_minimum_required(VERSION 3.25)
# Fails when a source file includes a header from a layer it must not see: the layers only ever
# point down (protocol <- host <- link <- ops <- front <- app, cli; the simulator's model uses
# protocol alone).
#   cmake -DROOT=<source tree> -P CheckLayers.cmake
# Each rule: a folder, then the folders its files may include from. A more specific folder
# (sim/model) is listed before the one that contains it (sim).
set(rules
  "protocol|protocol"
  "host|protocol host"
  "link|protocol host link"
  "ops|protocol host link ops"
  "front|protocol host link ops front"
  "sim/model|protocol sim/model"
  "sim|protocol host link sim"
  "cli|protocol host link ops front cli"
  "app|protocol host link ops front app sim/InProcessBackend.h")
set(known protocol host link ops front sim app cli)

set(errors "")
foreach(rule IN LISTS rules)
  string(REPLACE "|" ";" parts "${rule}")
  list(GET parts 0 folder)
  list(GET parts 1 allowed)
  string(REPLACE " " ";" allowed "${allowed}")
  file(GLOB_RECURSE files "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
  foreach(f IN LISTS files)
    file(RELATIVE_PATH rel "${ROOT}" "${f}")
    if(DEFINED seen_${rel})
      continue()  # judged by a more specific rule already
    endif()
    set(seen_${rel} TRUE)
    file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" inc "${line}")
      string(REGEX MATCH "^[^/]+" top "${inc}")
      if(NOT top IN_LIST known OR inc STREQUAL top)
        continue()  # not a header of the layers (a system or generated one)
      endif()
      set(ok FALSE)
      foreach(a IN LISTS allowed)
        string(LENGTH "${a}" n)
        string(SUBSTRING "${inc}" 0 ${n} head)
        if(head STREQUAL a)
          set(ok TRUE)
        endif()
      endforeach()
      if(NOT ok)
        string(APPEND errors "  ${rel} includes \"${inc}\": ${folder}/ may include only from ${allowed}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

# The user's language starts at ops/: below it nothing is said to the user, only reported typed.
foreach(folder protocol host link)
  file(GLOB_RECURSE files "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
  foreach(f IN LISTS files)
    file(STRINGS "${f}" texts REGEX "QT_TRANSLATE_NOOP|translate\\(|tr\\(\"")
    if(texts)
      file(RELATIVE_PATH rel "${ROOT}" "${f}")
      string(APPEND errors "  ${rel} makes a user-visible text: ${folder}/ only reports what happened, typed\n")
    endif()
  endforeach()
endforeach()

if(errors)
  message(FATAL_ERROR "Includes that point up a layer:\n${errors}")
endif()
