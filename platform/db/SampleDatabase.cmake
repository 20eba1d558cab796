# cmake -DSQLITE3=<sqlite3> -DSCRIPT=<file.sql> -DOUTPUT=<file.db> -P SampleDatabase.cmake
# Builds one sample database from its SQL script. The file is built beside its final place and
# renamed over it only when the whole script ran, so a failed script never leaves a half-built
# database behind.
get_filename_component(dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${dir})
set(partial ${OUTPUT}.partial)
file(REMOVE ${partial})
execute_process(COMMAND ${SQLITE3} -bail ${partial} ".read ${SCRIPT}"
  RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  file(REMOVE ${partial})
  message(FATAL_ERROR "Sample database script ${SCRIPT} failed: ${errors}")
endif()
file(RENAME ${partial} ${OUTPUT})
