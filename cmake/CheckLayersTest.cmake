cmake_minimum_required(VERSION 3.25)
# Shows that the layer check bites: on a copy of the tree it passes, and an upward include from
# each of link/ (an operation's header), host/ (the link's) and front/ (the window's) fails it,
# naming the file.
#   cmake -DROOT=<source tree> -DWORK=<scratch folder> -P CheckLayersTest.cmake
file(REMOVE_RECURSE "${WORK}")
foreach(folder protocol host link ops front sim app cli)
  file(COPY "${ROOT}/${folder}" DESTINATION "${WORK}")
endforeach()
set(check ${CMAKE_COMMAND} -DROOT=${WORK} -P ${CMAKE_CURRENT_LIST_DIR}/CheckLayers.cmake)

execute_process(COMMAND ${check} RESULT_VARIABLE clean ERROR_VARIABLE out)
if(NOT clean EQUAL 0)
  message(FATAL_ERROR "the unchanged tree fails the layer check:\n${out}")
endif()

foreach(case "link/HidLink.cpp|ops/OpResult.h" "host/History.cpp|link/HidLink.h" "front/RunPolicy.cpp|app/MainWindow.h")
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 file)
  list(GET parts 1 header)
  file(READ "${WORK}/${file}" saved)
  file(APPEND "${WORK}/${file}" "\n#include \"${header}\"\n")
  execute_process(COMMAND ${check} RESULT_VARIABLE broken ERROR_VARIABLE out)
  if(broken EQUAL 0 OR NOT out MATCHES "${file} includes \"${header}\"")
    message(FATAL_ERROR "an upward include from ${file} went unnoticed:\n${out}")
  endif()
  file(WRITE "${WORK}/${file}" "${saved}")
endforeach()
file(REMOVE_RECURSE "${WORK}")
