# The unit tests, built for Windows and run under Wine (scripts/test-windows, or ctest with Wine as
# the emulator). The files labelled posix in tests/TestLabels.cmake stay out: they need what only
# Linux has (pseudo-terminals, Unix sockets, the virtual repeater's transports, POSIX file modes);
# the Windows serial port and the programs are tested end to end against the Linux quorvin-sim
# instead.
# GoogleTest is built from Debian's source of it (libgtest-dev), with this build's compiler.
set(QUORVIN_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source tree")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${QUORVIN_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# tests/windows/: what only Windows has (its error codes, its console), built here alone.
quorvin_test_sources(UNIT_SOURCES unit/*.cpp support/*.cpp windows/*.cpp WITHOUT posix)
add_executable(unit_tests ${UNIT_SOURCES})
target_include_directories(unit_tests PRIVATE ${QUORVIN_TESTS_DIR})
target_link_libraries(unit_tests PRIVATE quorvin_core quorvin_app quorvin_cli gtest gmock gtest_main)
quorvin_add_translations(unit_tests TS_FILES ${QUORVIN_TESTS_DIR}/i18n/quorvin_xx.ts RESOURCE_PREFIX /i18n)
set_target_properties(unit_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_test(NAME unit_tests COMMAND unit_tests)
set_tests_properties(unit_tests PROPERTIES LABELS unit TIMEOUT 600 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
