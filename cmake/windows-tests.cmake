# The tests of a Windows cross build, run under Wine: GoogleTest built from source for the target,
# every test started through scripts/wine-prefix.sh in a private prefix of the build folder, and a
# CTest fixture that starts that prefix before the first test and stops it after the last.
#
# Tests that run Windows programs require the fixture ${QUORVANE_WINE_FIXTURE} (FIXTURES_REQUIRED);
# the prefix is ${QUORVANE_WINEPREFIX}. What else those tests need made from the Linux side joins
# the same fixture (tests/platform: Unix symbolic links), so that one name covers it all.

set(QUORVANE_GTEST_SOURCE /usr/src/googletest
    CACHE PATH "GoogleTest's source (Debian package googletest), built for the target")
if(NOT EXISTS ${QUORVANE_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest source in ${QUORVANE_GTEST_SOURCE} (package googletest); "
                      "set QUORVANE_GTEST_SOURCE")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${QUORVANE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

set(QUORVANE_WINEPREFIX ${CMAKE_BINARY_DIR}/wine
    CACHE PATH "The private Wine prefix the Windows tests run in")
set(QUORVANE_WINE_PREFIX_SCRIPT ${PROJECT_SOURCE_DIR}/scripts/wine-prefix.sh)

# Windows programs that show windows (the end-to-end tests) need the prefix booted on a display;
# it gets an Xvfb server of its own for the run when there is one to start.
find_program(QUORVANE_XVFB Xvfb)
find_program(QUORVANE_XDPYINFO xdpyinfo)
if(QUORVANE_XVFB AND QUORVANE_XDPYINFO)
  set(xvfb_found ON)
else()
  set(xvfb_found OFF)
endif()
option(QUORVANE_WINE_XVFB "Boot the Wine prefix of the tests on a private Xvfb server" ${xvfb_found})
if(QUORVANE_WINE_XVFB)
  set(xvfb_setting 1)
else()
  set(xvfb_setting 0)
endif()

# Whichever starts the prefix first (the fixture, or GoogleTest's listing of tests when CTest
# starts) starts it the same way.
set(QUORVANE_WINE_ENV ${CMAKE_COMMAND} -E env WINEPREFIX=${QUORVANE_WINEPREFIX}
    QUORVANE_WINE_XVFB=${xvfb_setting})
# Every test executable, and GoogleTest's listing of its tests, runs through this.
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORVANE_WINE_ENV} ${QUORVANE_WINE_PREFIX_SCRIPT} run)

add_test(NAME wine_prefix_start COMMAND ${QUORVANE_WINE_ENV} ${QUORVANE_WINE_PREFIX_SCRIPT} start)
add_test(NAME wine_prefix_stop COMMAND ${QUORVANE_WINE_ENV} ${QUORVANE_WINE_PREFIX_SCRIPT} stop)
set_tests_properties(wine_prefix_start PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 120)
set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine_prefix TIMEOUT 60)
set(QUORVANE_WINE_FIXTURE wine_prefix)
