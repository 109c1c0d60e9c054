# Platform files: a source whose name ends in "Windows.cpp" (a test's: "WindowsTest.cpp") is
# built only for Windows, one whose name ends in "Posix.cpp" ("PosixTest.cpp") only for the other
# systems, so each folder keeps both implementations side by side and no CMakeLists names a file.
function(quillmere_platform_sources list_var)
    set(kept)
    foreach(source ${${list_var}})
        if(WIN32 AND source MATCHES "Posix(Test)?\\.cpp$")
            continue()
        endif()
        if(NOT WIN32 AND source MATCHES "Windows(Test)?\\.cpp$")
            continue()
        endif()
        list(APPEND kept ${source})
    endforeach()
    set(${list_var} ${kept} PARENT_SCOPE)
endfunction()

# The Windows headers without their min/max macros and rarely used parts; Unicode (W) functions
# are called by name, so UNICODE stays undefined.
if(WIN32)
    add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)
endif()
