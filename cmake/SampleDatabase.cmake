# The sample database in the program folder (Samples2/sample.mdb), written by our own engine.
# The build makes it when it is missing or its statements changed; after a run changed it,
#   cmake --build build --target sample_database_afresh
# makes it anew. `cmake --install` installs it with the program.
set(QUILLMERE_SAMPLE_DATABASE ${CMAKE_BINARY_DIR}/bin/Samples2/sample.mdb)
set(sample_sql ${PROJECT_SOURCE_DIR}/app/sample/sample.sql)
set(sample_script ${PROJECT_SOURCE_DIR}/cmake/MakeSampleDatabase.cmake)
set(make_sample ${CMAKE_COMMAND} -DACCESSDB=$<TARGET_FILE:tool_accessdb> -DSQL=${sample_sql}
    -DOUTPUT=${QUILLMERE_SAMPLE_DATABASE} -P ${sample_script})

add_custom_command(OUTPUT ${QUILLMERE_SAMPLE_DATABASE}
    COMMAND ${make_sample}
    DEPENDS tool_accessdb ${sample_sql} ${sample_script}
    COMMENT "Writing the sample database Samples2/sample.mdb"
    VERBATIM)
add_custom_target(sample_database ALL DEPENDS ${QUILLMERE_SAMPLE_DATABASE})
add_custom_target(sample_database_afresh
    COMMAND ${make_sample}
    DEPENDS tool_accessdb
    COMMENT "Writing the sample database Samples2/sample.mdb afresh"
    VERBATIM)
install(FILES ${QUILLMERE_SAMPLE_DATABASE} DESTINATION ${QUILLMERE_PROGRAM_DIR}/Samples2)
