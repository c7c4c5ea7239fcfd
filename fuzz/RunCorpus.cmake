# Runs a fuzz target once over every file of its corpus; any crash or sanitizer report fails.
file(GLOB inputs "${CORPUS}/*")
if(NOT inputs)
  message(FATAL_ERROR "empty corpus ${CORPUS}")
endif()
execute_process(COMMAND ${FUZZER} -runs=0 ${inputs} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed on its corpus (${result})")
endif()
