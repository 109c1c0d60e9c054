# Writes the sample database afresh: cmake -DACCESSDB=<accessdb tool> -DSQL=<statements file>
# -DOUTPUT=<sample.mdb> -P MakeSampleDatabase.cmake. A Jet 4 (Access 2002-2003) database made by
# `accessdb create`, then filled by `accessdb sql` with the statements of the file.
file(STRINGS ${SQL} lines ENCODING UTF-8)
set(statements)
foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line AND NOT line MATCHES "^--")
        list(APPEND statements "${line}")
    endif()
endforeach()

get_filename_component(folder ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${ACCESSDB} create ${OUTPUT} --format 2003 RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "The sample database ${OUTPUT} could not be created.")
endif()
execute_process(COMMAND ${ACCESSDB} sql ${OUTPUT} ${statements} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    file(REMOVE ${OUTPUT})
    message(FATAL_ERROR "The sample database ${OUTPUT} could not be filled from ${SQL}.")
endif()
