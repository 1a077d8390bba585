# Runs lupdate over SOURCES into COPY, a copy of the translation file TS, and fails when an entry
# is unfinished, naming its source text.
file(COPY_FILE ${TS} ${COPY})
execute_process(COMMAND ${LUPDATE} ${OPTIONS} ${SOURCES} -ts ${COPY}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "lupdate failed:\n${output}")
endif()
file(READ ${COPY} ts)
string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*(<comment>[^<]*</comment>[ \n]*)?<translation type=\"unfinished\"" unfinished "${ts}")
if(unfinished)
  string(REPLACE ";" "\n" unfinished "${unfinished}")
  message(FATAL_ERROR "texts without their English in ${TS} (cmake --build --preset test "
                      "--target update_translations, then translate them):\n${unfinished}")
endif()
