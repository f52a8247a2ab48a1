# Run at build time by tavlo_add_library(… CHECK_INCLUDES): every quoted include of the library's
# files must be one of the headers it may use. LIST_FILE sets TAVLO_LIBRARY, TAVLO_FILES (the
# files to read) and TAVLO_ALLOWED (headers as written in an include); STAMP is touched when all
# is well.
cmake_minimum_required(VERSION 3.25)
include(${LIST_FILE})
set(found "")
foreach(file IN LISTS TAVLO_FILES)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
    if(NOT header IN_LIST TAVLO_ALLOWED)
      string(APPEND found "\n  ${file}: #include \"${header}\"")
    endif()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "${TAVLO_LIBRARY} includes only its own headers and those of the libraries "
    "it depends on, not:${found}")
endif()
file(TOUCH ${STAMP})
