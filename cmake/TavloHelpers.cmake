# Small helpers so that each module's CMakeLists stays a declarative list.

# tavlo_add_test(NAME SOURCES a.cpp b.cpp LIBS tlfi ...)
function(tavlo_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "TAVLO_TEST_BIN=$<TARGET_FILE_DIR:${name}>")
endfunction()
