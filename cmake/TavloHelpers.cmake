# Small helpers so that each module's CMakeLists stays a declarative list, and so that a library
# reaching for something it has not declared fails the configure, the link or the build rather
# than a review.

set(TAVLO_HELPERS_DIR ${CMAKE_CURRENT_LIST_DIR})

# Refuses what cmake_parse_arguments could not place: a misspelt keyword would otherwise end up
# as a source file or a dependency, far from the mistake.
function(_tavlo_refuse_unparsed what prefix)
  if(${prefix}_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "${what}: unknown arguments: ${${prefix}_UNPARSED_ARGUMENTS}")
  endif()
  if(${prefix}_KEYWORDS_MISSING_VALUES)
    message(FATAL_ERROR "${what}: no value after ${${prefix}_KEYWORDS_MISSING_VALUES}")
  endif()
endfunction()

# Every dependency must already be a target: a misspelt or not yet defined library would
# otherwise become a plain "-lname" that fails late, or not at all.
function(_tavlo_require_targets what)
  foreach(dep IN LISTS ARGN)
    if(NOT TARGET ${dep})
      message(FATAL_ERROR "${what}: DEPENDS names ${dep}, which is no target (misspelt, or "
        "declared in a folder added later)")
    endif()
  endforeach()
endfunction()

# A misspelt keyword after SOURCES lands among the sources: name it as what it is.
function(_tavlo_require_files what)
  foreach(source IN LISTS ARGN)
    get_filename_component(path ${source} ABSOLUTE)
    if(NOT EXISTS ${path})
      message(FATAL_ERROR "${what}: SOURCES names ${source}, which is no file (a misspelt "
        "keyword?)")
    endif()
  endforeach()
endfunction()

# tavlo_add_library(NAME [STATIC] SOURCES a.cpp … [DEPENDS lib …] [PRIVATE_DEPENDS lib …]
#                   [CHECK_INCLUDES])
# A shared library (STATIC for one that only programs of this tree link), installed with the
# programs. DEPENDS are linked publicly, PRIVATE_DEPENDS privately. Shared libraries link with
# --no-undefined, so that one using a library it does not declare fails to link. CHECK_INCLUDES
# makes the build check that the library's files include (in quotes) only its own headers, the
# x.h beside each x.cpp of SOURCES, and those of the checked libraries it depends on; such a
# library names all its sources here.
function(tavlo_add_library name)
  cmake_parse_arguments(PARSE_ARGV 1 L "STATIC;CHECK_INCLUDES" "" "SOURCES;DEPENDS;PRIVATE_DEPENDS")
  _tavlo_refuse_unparsed("tavlo_add_library(${name})" L)
  _tavlo_require_files("tavlo_add_library(${name})" ${L_SOURCES})
  _tavlo_require_targets("tavlo_add_library(${name})" ${L_DEPENDS} ${L_PRIVATE_DEPENDS})
  if(L_STATIC)
    add_library(${name} STATIC ${L_SOURCES})
  else()
    add_library(${name} SHARED ${L_SOURCES})
    target_link_options(${name} PRIVATE "LINKER:--no-undefined")
    # Installed together in one private folder (packaging/), where each finds the others.
    set_target_properties(${name} PROPERTIES INSTALL_RPATH "$ORIGIN")
    set_property(GLOBAL APPEND PROPERTY TAVLO_SHARED_LIBRARIES ${name})
  endif()
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${L_DEPENDS} PRIVATE ${L_PRIVATE_DEPENDS})
  if(L_CHECK_INCLUDES)
    _tavlo_check_includes(${name} "${L_SOURCES}" "${L_DEPENDS};${L_PRIVATE_DEPENDS}")
  endif()
endfunction()

function(_tavlo_check_includes name sources deps)
  set(files "")
  set(own "")
  foreach(source IN LISTS sources)
    get_filename_component(path ${source} ABSOLUTE)
    list(APPEND files ${path})
    string(REGEX REPLACE "\\.cpp$" ".h" header ${path})
    if(EXISTS ${header})
      list(APPEND files ${header})
      file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${header})
      list(APPEND own ${relative})
    endif()
  endforeach()
  set(allowed ${own})
  foreach(dep IN LISTS deps)
    if(NOT dep)
      continue()
    endif()
    get_target_property(theirs ${dep} TAVLO_ALLOWED_INCLUDES)
    if(theirs)
      list(APPEND allowed ${theirs})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES allowed)
  set_target_properties(${name} PROPERTIES TAVLO_ALLOWED_INCLUDES "${allowed}")

  # The lists go through a file: a list on a custom command's line would be split into words.
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_includes.cmake)
  file(CONFIGURE OUTPUT ${list_file} CONTENT
    "set(TAVLO_LIBRARY ${name})\nset(TAVLO_FILES \"${files}\")\nset(TAVLO_ALLOWED \"${allowed}\")\n")
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${name}_includes.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DLIST_FILE=${list_file} -DSTAMP=${stamp}
            -P ${TAVLO_HELPERS_DIR}/CheckIncludes.cmake
    DEPENDS ${files} ${list_file} ${TAVLO_HELPERS_DIR}/CheckIncludes.cmake
    COMMENT "Includes of ${name}"
    VERBATIM)
  add_custom_target(${name}_includes DEPENDS ${stamp})
  add_dependencies(${name} ${name}_includes)
endfunction()

# tavlo_add_test(NAME SOURCES a.cpp … DEPENDS lib … [GUI] [PREFIX p.])
# A GoogleTest program run through CTest. Its tests stop at the first soft assert
# (TAVLO_ABORT_ON_ASSERT). GUI tests share framework/widgets/tests/view_main.cpp (the
# QApplication must exist before the first test and outlive the last), run on the offscreen
# platform and are named "view.…" unless PREFIX says otherwise.
function(tavlo_add_test name)
  cmake_parse_arguments(PARSE_ARGV 1 T "GUI" "PREFIX" "SOURCES;DEPENDS;LIBS")
  if(T_LIBS)
    message(FATAL_ERROR "tavlo_add_test(${name}): LIBS is now DEPENDS")
  endif()
  _tavlo_refuse_unparsed("tavlo_add_test(${name})" T)
  _tavlo_require_files("tavlo_add_test(${name})" ${T_SOURCES})
  _tavlo_require_targets("tavlo_add_test(${name})" ${T_DEPENDS})
  add_executable(${name} ${T_SOURCES})
  # One variable per property: gtest_discover_tests splits a list value into words.
  set(properties ENVIRONMENT "TAVLO_ABORT_ON_ASSERT=1")
  if(T_GUI)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/framework/widgets/tests/view_main.cpp)
    target_link_libraries(${name} PRIVATE ${T_DEPENDS} Qt6::Test GTest::gtest)
    list(APPEND properties ENVIRONMENT_MODIFICATION "QT_QPA_PLATFORM=set:offscreen")
    if(NOT DEFINED T_PREFIX)
      set(T_PREFIX "view.")
    endif()
  else()
    target_link_libraries(${name} PRIVATE ${T_DEPENDS} GTest::gtest GTest::gtest_main)
  endif()
  set(prefix "")
  if(T_PREFIX)
    set(prefix TEST_PREFIX ${T_PREFIX})
  endif()
  gtest_discover_tests(${name} ${prefix} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()

# tavlo_test_program(TEST PROGRAM SOURCE DEFINE): a helper program that a test starts as a second
# process; the test finds it through the compile definition DEFINE.
function(tavlo_test_program test program source define)
  if(NOT ARGC EQUAL 4)
    message(FATAL_ERROR "tavlo_test_program(${test}): TEST PROGRAM SOURCE DEFINE, no more")
  endif()
  _tavlo_require_targets("tavlo_test_program(${test})" ${test})
  add_executable(${program} ${source})
  target_link_libraries(${program} PRIVATE tlfi)
  target_compile_definitions(${test} PRIVATE ${define}="$<TARGET_FILE:${program}>")
  add_dependencies(${test} ${program})
endfunction()
