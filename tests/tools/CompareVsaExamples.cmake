# Regenerates the example speaker files and compares them byte for byte with the committed ones.
# Usage: cmake -DGENERATOR=... -DOUTPUT_DIR=... -DREFERENCE_DIR=... -P CompareVsaExamples.cmake
foreach(var GENERATOR OUTPUT_DIR REFERENCE_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE "${OUTPUT_DIR}")
execute_process(COMMAND "${GENERATOR}" --examples "${OUTPUT_DIR}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "daxara-vsagen --examples failed: ${rc}")
endif()

file(GLOB generated RELATIVE "${OUTPUT_DIR}" "${OUTPUT_DIR}/*.vsa")
file(GLOB committed RELATIVE "${REFERENCE_DIR}" "${REFERENCE_DIR}/*.vsa")
list(SORT generated)
list(SORT committed)
if(NOT generated STREQUAL committed)
  message(FATAL_ERROR "example sets differ\n generated: ${generated}\n committed: ${committed}")
endif()
if(generated STREQUAL "")
  message(FATAL_ERROR "the generator wrote no examples")
endif()

set(stale "")
foreach(name IN LISTS generated)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files
                          "${OUTPUT_DIR}/${name}" "${REFERENCE_DIR}/${name}"
                  RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    list(APPEND stale "${name}")
  endif()
endforeach()
if(stale)
  message(FATAL_ERROR "out of date in examples/speakers (rerun daxara-vsagen --examples): ${stale}")
endif()
message(STATUS "${generated} match")
