if(QUILLMERE_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()

# Heavy tests scale themselves down under the sanitizers (they run many times slower there).
if(QUILLMERE_SANITIZE)
    add_compile_definitions(QUILLMERE_SANITIZED=1)
endif()
