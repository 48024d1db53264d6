# Tests of the Windows build run under Wine, in a private prefix inside the
# build folder that is created once and reused.
#
# The first Wine command in a prefix starts wineserver and Wine's background
# services, which inherit that command's stdout and stderr. ctest reads test
# output through pipes and would wait for them forever, so a setup fixture
# starts the prefix detached from any pipe and a cleanup fixture stops it.
if(NOT CMAKE_CROSSCOMPILING)
  return()
endif()

find_program(WINE_EXECUTABLE wine REQUIRED)
set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${WINE_PREFIX} WINEDEBUG=-all ${WINE_EXECUTABLE})

# Adds a test that runs under Wine in the test prefix:
#   add_wine_test(name [SERIAL] COMMAND command [args...])
# The command is a Windows program target, run through Wine, or a script that
# calls Wine itself. SERIAL marks tests that share what every program in the
# prefix shares: the registry, the running processes or the current folder.
# Such tests never run at the same time as each other.
function(add_wine_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "SERIAL" "" "COMMAND")
  add_test(NAME ${name} COMMAND ${arg_COMMAND})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix TIMEOUT 600)
  if(arg_SERIAL)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK wine_shared_state)
  endif()
endfunction()

if(BUILD_TESTING)
  set(prefix_script ${CMAKE_SOURCE_DIR}/tools/wine-prefix.sh)
  add_test(NAME wine_prefix_start COMMAND ${prefix_script} start ${WINE_PREFIX})
  add_test(NAME wine_prefix_stop COMMAND ${prefix_script} stop ${WINE_PREFIX})
  set_tests_properties(wine_prefix_start PROPERTIES FIXTURES_SETUP wine_prefix)
  set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine_prefix)
endif()
