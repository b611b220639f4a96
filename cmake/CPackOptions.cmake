# Read by cpack for each generator: only the zip unpacks into a folder of its own; an installer
# puts the files straight into the folder the user chose.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()
