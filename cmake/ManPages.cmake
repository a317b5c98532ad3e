# Man pages, section 1, one for each program. help2man lays out what the program itself
# prints for --help (and, for a program with commands, for each command's --help), and
# an include file kept beside the program's code adds what the help leaves out. The
# pages are made at build time from the programs just built, so a page can't describe
# options a program no longer has, and a page that can't be made fails the build.

# Sanitized builds are for the tests: their pages would be the same, made more slowly.
if(WT_SANITIZE)
    set(_wt_man_pages_default OFF)
else()
    set(_wt_man_pages_default ON)
endif()
option(WT_MAN_PAGES "Make the programs' man pages at build time (help2man)"
       ${_wt_man_pages_default})

if(WT_MAN_PAGES)
    find_program(WT_HELP2MAN help2man REQUIRED)
    find_program(WT_GROFF groff REQUIRED)
    find_program(WT_GZIP gzip REQUIRED)
endif()
set(_wt_man_page_script ${CMAKE_CURRENT_LIST_DIR}/GenerateManPage.cmake)

# wt_add_man_page(<program> INCLUDE <file.h2m> [COMMANDS <command>...])
# Makes <program>.1.gz from the target <program> and installs it in man1.
function(wt_add_man_page program)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "INCLUDE" "COMMANDS")
    if(NOT WT_MAN_PAGES)
        return()
    endif()
    set(include ${CMAKE_CURRENT_SOURCE_DIR}/${arg_INCLUDE})
    set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${program}.1)
    string(REPLACE ";" "," commands "${arg_COMMANDS}")
    add_custom_command(
        OUTPUT ${page} ${page}.gz
        COMMAND ${CMAKE_COMMAND}
                -DPROGRAM=$<TARGET_FILE:${program}>
                -DNAME=${program}
                -DVERSION=${PROJECT_VERSION}
                -DSOURCE=${PROJECT_NAME}
                -DCOMMANDS=${commands}
                -DINCLUDE=${include}
                -DOUTPUT=${page}
                -DHELP2MAN=${WT_HELP2MAN}
                -DGROFF=${WT_GROFF}
                -DGZIP=${WT_GZIP}
                -P ${_wt_man_page_script}
        DEPENDS ${program} ${include} ${_wt_man_page_script}
        COMMENT "Man page of ${program}"
        VERBATIM)
    add_custom_target(${program}-man ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
