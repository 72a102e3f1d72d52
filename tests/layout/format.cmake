# The format check: every C++ file of the tree as the repository's
# .clang-format would write it. Fails naming the files that differ.
#   cmake -DSOURCE_DIR=<tree> -DCLANG_FORMAT=<program> -P format.cmake
if(NOT SOURCE_DIR OR NOT CLANG_FORMAT)
  message(FATAL_ERROR "SOURCE_DIR and CLANG_FORMAT must be set")
endif()
set(files "")
foreach(dir src tests bench fuzz resources)
  file(GLOB_RECURSE found ${SOURCE_DIR}/${dir}/*.h ${SOURCE_DIR}/${dir}/*.cpp)
  list(APPEND files ${found})
endforeach()
list(SORT files)
execute_process(COMMAND ${CLANG_FORMAT} --style=file --dry-run --Werror ${files}
                WORKING_DIRECTORY ${SOURCE_DIR}
                RESULT_VARIABLE result
                ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  string(REGEX MATCHALL "[^\n]*: error: code should be clang-formatted" lines "${errors}")
  set(named "")
  foreach(line ${lines})
    string(REGEX REPLACE ":[0-9]+:[0-9]+: error: code should be clang-formatted" "" file "${line}")
    list(APPEND named ${file})
  endforeach()
  list(REMOVE_DUPLICATES named)
  list(LENGTH named n)
  string(REPLACE ";" "\n  " named "${named}")
  message(FATAL_ERROR "${n} files differ from .clang-format (clang-format -i them):\n  ${named}")
endif()
list(LENGTH files n)
message(STATUS "${n} files follow .clang-format")
