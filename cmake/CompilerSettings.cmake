# Warnings, floating-point contraction and sanitizers for every target of the project.

add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wold-style-cast)
if(WT_WERROR)
    add_compile_options(-Werror)
endif()

# The statistics are defined step by step in 32-bit float; a fused multiply-add would
# change their last digits.
add_compile_options(-ffp-contract=off)

if(WT_SANITIZE)
    string(REPLACE "," ";" _wt_sanitizers "${WT_SANITIZE}")
    foreach(_s IN LISTS _wt_sanitizers)
        if(NOT _s MATCHES "^(address|undefined|thread)$")
            message(FATAL_ERROR "WT_SANITIZE: unknown sanitizer '${_s}'")
        endif()
    endforeach()
    add_compile_options(-fsanitize=${WT_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=${WT_SANITIZE})
endif()
