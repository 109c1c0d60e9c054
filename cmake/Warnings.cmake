# Warnings are errors in every target of ours.
function(quillmere_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
        -Wno-missing-field-initializers)
endfunction()

# A library of ours from every .cpp directly in a folder (ui/ folders are gathered by app/ui),
# linked with the libraries named after it. Folders own their sources, so adding a file never
# touches a CMakeLists.
function(quillmere_core_library name dir)
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
    quillmere_platform_sources(sources)
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} PUBLIC ${ARGN})
        quillmere_warnings(${name})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARGN})
    endif()
endfunction()
