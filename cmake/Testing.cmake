# GoogleTest from Debian's source package, built with this configuration's
# compiler and flags (also for mingw).
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# Why this build's Windows programs cannot run on this machine (a 32-bit build
# on a kernel that refuses 32-bit programs); empty when they can. scripts/test
# sets it from its one probe of the machine.
set(PZ_WINE_SKIP_REASON "" CACHE STRING "Why the Windows tests of this build cannot run here")

# The command that runs a Python test: tests/support on its module path, and
# no __pycache__ written into the source tree.
find_program(PZ_PYTHON3 python3 REQUIRED)
set(PZ_PYTHON_TEST ${CMAKE_COMMAND} -E env PYTHONPATH=${CMAKE_SOURCE_DIR}/tests/support
    PYTHONDONTWRITEBYTECODE=1 ${PZ_PYTHON3})

# pz_add_wine_test(NAME <name> COMMAND <command>...)
# A test that starts Windows programs. Where they cannot run it stays in the
# list as ctest's own skip, with the reason, never as a pass.
function(pz_add_wine_test)
  cmake_parse_arguments(ARG "" "NAME" "COMMAND" ${ARGN})
  if(PZ_WINE_SKIP_REASON)
    add_test(NAME ${ARG_NAME}
      COMMAND sh -c "echo \"skipped: $1\"; exit 77" sh "${PZ_WINE_SKIP_REASON}")
    set_tests_properties(${ARG_NAME} PROPERTIES SKIP_RETURN_CODE 77)
  else()
    add_test(NAME ${ARG_NAME} COMMAND ${ARG_COMMAND})
  endif()
endfunction()

# pz_add_gtest(<name> SOURCES ... [LIBS ...])
# Natively every test case is its own ctest test; under Wine one process per
# executable keeps the run short.
function(pz_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
  if(PZ_WINDOWS)
    pz_add_wine_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# pz_add_helper_program(<name> <source>)
# A small Windows program the tests start and watch; static, so that it runs
# from any folder of a fresh prefix.
function(pz_add_helper_program name source)
  add_executable(${name} ${source})
  target_link_options(${name} PRIVATE -municode -static)
endfunction()
