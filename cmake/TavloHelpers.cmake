# Small helpers so that each module's CMakeLists stays a declarative list.

# tavlo_add_test(NAME SOURCES a.cpp b.cpp LIBS tlfi ...)
function(tavlo_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "TAVLO_TEST_BIN=$<TARGET_FILE_DIR:${name}>")
endfunction()

# tavlo_test_program(TEST PROGRAM SOURCE DEFINE): a helper program that a test starts as a second
# process; the test finds it through the compile definition DEFINE.
function(tavlo_test_program test program source define)
  add_executable(${program} ${source})
  target_link_libraries(${program} PRIVATE tlfi)
  target_compile_definitions(${test} PRIVATE ${define}="$<TARGET_FILE:${program}>")
  add_dependencies(${test} ${program})
endfunction()
