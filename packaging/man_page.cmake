# Writes the manual page of velmora-export from its own --help, so that the
# two never tell different stories:
#   cmake -DPROGRAM=... -DVERSION=... -DOUT=velmora-export.1 -P man_page.cmake
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${PROGRAM} --help
                OUTPUT_VARIABLE help RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed: ${result}")
endif()
# In roff a backslash starts an escape, a minus is written \- and a line
# that begins with a dot or a quote is a request.
string(REPLACE "\\" "\\e" help "${help}")
string(REPLACE "-" "\\-" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
file(WRITE ${OUT} ".TH VELMORA\\-EXPORT 1 \"\" \"velmora ${VERSION}\" \"User Commands\"
.SH NAME
velmora\\-export \\- draw, convert and generate Velmora race tracks without a display
.SH DESCRIPTION
.B velmora\\-export
uses the editor's renderer and file formats to write pictures, RL data,
centreline CSVs, track files and occupancy maps for many tracks at once. Its
inputs are Velmora track files, circuit centrelines (CSV) or tracks it
generates. A track that fails is reported on standard error in one line and
the others go on; the exit code is 0 when all succeeded, 1 when any failed
and 2 for a usage error.
.SH OPTIONS
.nf
${help}.fi
.SH SEE ALSO
.BR velmora (1)
")
