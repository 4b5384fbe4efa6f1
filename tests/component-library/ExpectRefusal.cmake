# Runs the type library patch step and passes only if it fails with MESSAGE
# and leaves no output behind.
execute_process(COMMAND ${TOOL} ${INPUT} ${OUTPUT} ${ACTIONS}
                RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
if(rc EQUAL 0)
  message(FATAL_ERROR "accepted what it should refuse")
endif()
if(NOT rc EQUAL 1)
  message(FATAL_ERROR "ended with ${rc}: ${err}")
endif()
string(FIND "${err}" "${MESSAGE}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "refused for another reason: ${err}")
endif()
if(EXISTS ${OUTPUT})
  message(FATAL_ERROR "left ${OUTPUT} behind")
endif()
