cmake_minimum_required(VERSION 3.25)
# Shows that the layer check bites: on a copy of the tree it passes, and after one upward include
# (the link layer reaching for an operation's header) it fails and names the file.
#   cmake -DROOT=<source tree> -DWORK=<scratch folder> -P CheckLayersTest.cmake
file(REMOVE_RECURSE "${WORK}")
foreach(folder protocol link ops sim app cli)
  file(COPY "${ROOT}/${folder}" DESTINATION "${WORK}")
endforeach()
set(check ${CMAKE_COMMAND} -DROOT=${WORK} -P ${CMAKE_CURRENT_LIST_DIR}/CheckLayers.cmake)

execute_process(COMMAND ${check} RESULT_VARIABLE clean ERROR_VARIABLE out)
if(NOT clean EQUAL 0)
  message(FATAL_ERROR "the unchanged tree fails the layer check:\n${out}")
endif()

file(APPEND "${WORK}/link/HidLink.cpp" "\n#include \"ops/OpResult.h\"\n")
execute_process(COMMAND ${check} RESULT_VARIABLE broken ERROR_VARIABLE out)
if(broken EQUAL 0 OR NOT out MATCHES "link/HidLink.cpp includes \"ops/OpResult.h\"")
  message(FATAL_ERROR "an upward include went unnoticed:\n${out}")
endif()
file(REMOVE_RECURSE "${WORK}")
