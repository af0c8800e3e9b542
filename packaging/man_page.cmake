# Writes the manual page of velmora-export with the program that makes it
# from the tables of options and outputs --help is made from, so that the
# two never tell different stories:
#   cmake -DPROGRAM=velmora-export-man -DVERSION=... -DOUT=velmora-export.1 -P man_page.cmake
execute_process(COMMAND ${PROGRAM} ${VERSION} OUTPUT_FILE ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUT})
  message(FATAL_ERROR "${PROGRAM} failed: ${result}")
endif()
