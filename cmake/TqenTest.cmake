# tqen_add_test(<name> SOURCES ... LIBS ...)
# One GoogleTest executable per test folder, run by CTest with the offscreen Qt
# platform and a private runtime folder, so GUI tests need no display.
function(tqen_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/xdg-runtime;TQEN_SOURCE_DIR=${CMAKE_SOURCE_DIR};TQEN_BINARY_DIR=${CMAKE_BINARY_DIR}"
    TIMEOUT 300)
endfunction()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/xdg-runtime)
file(CHMOD ${CMAKE_BINARY_DIR}/xdg-runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

# tqen_add_server_run(<test> <gtest filter>)
# The same test executable run again with the data database on the PostgreSQL
# test server (TQEN_TEST_PG_URI, set by scripts/test.sh): its fixtures put
# the data there. Without a server the tests skip with a line saying so.
function(tqen_add_server_run name filter)
  add_test(NAME ${name}_on_server COMMAND ${name} --gtest_filter=${filter})
  set_tests_properties(${name}_on_server PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/xdg-runtime;TQEN_SOURCE_DIR=${CMAKE_SOURCE_DIR};TQEN_BINARY_DIR=${CMAKE_BINARY_DIR};TQEN_TEST_DATA_ENGINE=server"
    TIMEOUT 300)
endfunction()
