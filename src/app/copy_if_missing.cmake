# cmake -DSOURCE=<file> -DDESTINATION=<file> -P copy_if_missing.cmake
# Places a file only where none is yet: the build folder is also where a
# developer runs the program, and a rebuild must not undo their Apply.
if(NOT EXISTS "${DESTINATION}")
  file(COPY_FILE "${SOURCE}" "${DESTINATION}")
endif()
