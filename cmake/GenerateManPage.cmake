# Makes one man page: cmake -DPROGRAM=... -DNAME=... -DVERSION=... -DSOURCE=...
#   -DCOMMANDS=a,b -DINCLUDE=file.h2m -DOUTPUT=page.1 -DHELP2MAN=... -DGROFF=... -DGZIP=...
#   -P GenerateManPage.cmake
# Writes OUTPUT and OUTPUT.gz, or stops with an error that says what went wrong.
#
# The program is run here rather than by help2man, which ignores how a program ends:
# a --help that fails must fail the build. help2man then reads the texts gathered here.

cmake_minimum_required(VERSION 3.22)

# The same page whoever builds it and wherever: no display, no locale, no MIDI system.
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{LC_ALL} C)
unset(ENV{LANGUAGE})
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})

get_filename_component(dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
# A page from an earlier run must not outlive a failed one.
file(REMOVE "${OUTPUT}" "${OUTPUT}.gz")

function(run_program out_var)
    execute_process(COMMAND "${PROGRAM}" ${ARGN}
                    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
    string(JOIN " " shown ${ARGN})
    if(NOT status STREQUAL "0")
        message(FATAL_ERROR "${NAME} ${shown} ended with status ${status}:\n${err}")
    endif()
    if(out STREQUAL "")
        message(FATAL_ERROR "${NAME} ${shown} printed nothing")
    endif()
    set(${out_var} "${out}" PARENT_SCOPE)
endfunction()

# The version the page is given must be the one the program says it has.
run_program(version_text --version)
string(REGEX REPLACE "\n.*" "" version_line "${version_text}")
string(REPLACE "." "\\." version_pattern "${VERSION}")
if(NOT version_line MATCHES " ${version_pattern}$")
    message(FATAL_ERROR "${NAME} --version says '${version_line}'; "
                        "the project's version is ${VERSION}")
endif()

# The program's help, then each command's under a heading of its own ("*Heading*" is
# help2man's mark for a section). A command's usage lines are left out: the page's
# SYNOPSIS has them all.
run_program(help_text --help)
string(REPLACE "," ";" commands "${COMMANDS}")
foreach(command IN LISTS commands)
    run_program(command_help ${command} --help)
    string(REGEX REPLACE "^Usage:[^\n]*\n( [^\n]*\n)*" "" command_help "${command_help}")
    string(APPEND help_text "\n*Command ${command}*\n\n${command_help}")
endforeach()
file(WRITE "${dir}/${NAME}.help" "${help_text}")

execute_process(
    COMMAND "${HELP2MAN}" --no-info --section=1 "--source=${SOURCE} ${VERSION}"
            "--version-string=${NAME} ${VERSION}" --include=${INCLUDE}
            --help-option=${NAME}.help --output=${OUTPUT} cat
    WORKING_DIRECTORY "${dir}"
    ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status STREQUAL "0")
    message(FATAL_ERROR "help2man could not make the page of ${NAME}:\n${err}")
endif()

# What man(1) would warn of, a mistake in the include file say, fails the build too.
execute_process(COMMAND "${GROFF}" -man -Tutf8 -ww -z "${OUTPUT}"
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status STREQUAL "0" OR NOT err STREQUAL "")
    message(FATAL_ERROR "groff finds fault with the page of ${NAME}:\n${err}")
endif()

# Debian's way: the most compression, and no name or time stamp in the header.
execute_process(COMMAND "${GZIP}" -9 -n -f -k "${OUTPUT}" RESULT_VARIABLE status)
if(NOT status STREQUAL "0")
    message(FATAL_ERROR "gzip could not compress ${OUTPUT}")
endif()
