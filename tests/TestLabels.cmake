# The labels a test file carries beyond the label of its kind (unit, gui, e2e), declared here once
# for both builds: tests/CMakeLists.txt (Linux) and cmake/WindowsTests.cmake (Windows) read them.
#
#   slow   waits on real time: a pseudo-terminal, real sockets and sleeps, the programs as processes
#          of their own with transfers in real time, or seconds in all. `scripts/test --fast` leaves
#          these out.
#   posix  needs what only the Linux build has: pseudo-terminals, Unix sockets, the virtual
#          repeater's transports and quorvin-sim itself, FIFOs, POSIX file modes and locks, the Linux
#          system tree. The Windows build leaves these out.
#
# ctest labels the tests a binary holds all alike, so the Linux build makes one binary per kind and
# set of labels. A file not named here carries its kind's label alone; the files of tests/support
# are named the same way. Paths are relative to tests/.

# quorvin_test_labels(FILE LABEL...): FILE carries LABEL... besides its kind's.
function(quorvin_test_labels file)
  set_property(GLOBAL PROPERTY "QUORVIN_TEST_LABELS_${file}" ${ARGN})
  set_property(GLOBAL APPEND PROPERTY QUORVIN_LABELLED_TEST_FILES ${file})
endfunction()

# quorvin_test_file_labels(FILE OUT): the labels FILE carries besides its kind's, sorted.
function(quorvin_test_file_labels file out)
  get_property(labels GLOBAL PROPERTY "QUORVIN_TEST_LABELS_${file}")
  list(SORT labels)
  set(${out} "${labels}" PARENT_SCOPE)
endfunction()

# quorvin_test_sources(OUT GLOB... [WITHOUT LABEL...]): the files under tests/ the globs match,
# leaving out those that carry any of the labels after WITHOUT.
function(quorvin_test_sources out)
  cmake_parse_arguments(arg "" "" "WITHOUT" ${ARGN})
  set(globs)
  foreach(g IN LISTS arg_UNPARSED_ARGUMENTS)
    list(APPEND globs ${QUORVIN_TESTS_DIR}/${g})
  endforeach()
  file(GLOB files CONFIGURE_DEPENDS ${globs})
  set(kept)
  foreach(f IN LISTS files)
    file(RELATIVE_PATH rel ${QUORVIN_TESTS_DIR} ${f})
    quorvin_test_file_labels(${rel} labels)
    set(keep TRUE)
    foreach(l IN LISTS arg_WITHOUT)
      if(l IN_LIST labels)
        set(keep FALSE)
      endif()
    endforeach()
    if(keep)
      list(APPEND kept ${f})
    endif()
  endforeach()
  set(${out} ${kept} PARENT_SCOPE)
endfunction()

set(QUORVIN_TESTS_DIR ${CMAKE_CURRENT_LIST_DIR})

# Unit tests.
quorvin_test_labels(unit/backend_socket_test.cpp posix slow)  # Unix sockets, the sim's server on a thread
quorvin_test_labels(unit/backend_tcp_test.cpp posix slow)     # the sim's TCP server on a thread, real pauses
quorvin_test_labels(unit/device_lock_test.cpp posix)          # the Linux lock's folder and holder pid
quorvin_test_labels(unit/doctor_test.cpp posix)               # a made-up Linux system tree
quorvin_test_labels(unit/fault_files_test.cpp posix)          # FIFOs, file modes, the Linux lock's files
quorvin_test_labels(unit/serial_link_test.cpp posix slow)     # the real port on pseudo-terminals
quorvin_test_labels(unit/station_test.cpp posix slow)         # the station's threads in real time
quorvin_test_labels(support/PtyDevice.cpp posix)
quorvin_test_labels(support/SimProcess.cpp posix)

# Widget tests.
quorvin_test_labels(gui/tst_busy.cpp slow)        # the window through real pauses of an operation
quorvin_test_labels(gui/tst_serial_sim.cpp slow)  # pseudo-terminals, quorvin-sim over one in real time
quorvin_test_labels(gui/tst_units.cpp slow)       # quorvin-sim's units on Unix sockets, watched in real time

# End-to-end tests: the files with a test that waits on the device or the programs in real time
# (replies delayed or dropped, whole transfers, a signal at some point, pseudo-terminals).
foreach(f cli_devices cli_json cli_port_access cli_serial cli_signals cli_station_units cli_usb fault_disk
          fault_files fault_kill fault_unplug identity record_replay sim_socket sim_tcp sim_tcp_units)
  quorvin_test_labels(e2e/${f}_e2e_test.cpp slow)
endforeach()

get_property(_labelled GLOBAL PROPERTY QUORVIN_LABELLED_TEST_FILES)
foreach(f IN LISTS _labelled)
  if(NOT EXISTS ${QUORVIN_TESTS_DIR}/${f})
    message(FATAL_ERROR "tests/TestLabels.cmake labels ${f}, which is not there")
  endif()
endforeach()
