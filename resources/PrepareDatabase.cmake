# cmake -DTOOL=<varnholt-db> -DDATABASE=<file> -P PrepareDatabase.cmake
#
# Prepares DATABASE with "varnholt-db init" when no such file exists; an existing file is left
# exactly as it is. The new database is made in a scratch folder beside it and moved into place
# only when the tool succeeded, so a failed or interrupted preparation leaves no half-made file
# that a later build would take for a real one.

if(NOT TOOL OR NOT DATABASE)
    message(FATAL_ERROR "PrepareDatabase.cmake needs -DTOOL=... and -DDATABASE=...")
endif()

if(EXISTS "${DATABASE}")
    return()
endif()

get_filename_component(directory "${DATABASE}" DIRECTORY)
get_filename_component(name "${DATABASE}" NAME)
set(scratch "${directory}/.prepare-${name}")
file(REMOVE_RECURSE "${scratch}")
file(MAKE_DIRECTORY "${scratch}")

execute_process(
    COMMAND "${TOOL}" init "${scratch}/${name}"
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT EXISTS "${scratch}/${name}")
    file(REMOVE_RECURSE "${scratch}")
    message(FATAL_ERROR "varnholt-db init failed (${result}): ${output}\n${DATABASE} was not prepared")
endif()

file(RENAME "${scratch}/${name}" "${DATABASE}" NO_REPLACE RESULT renamed)
file(REMOVE_RECURSE "${scratch}")
if(NOT renamed EQUAL 0)
    message(FATAL_ERROR "could not move the prepared database to ${DATABASE}: ${renamed}")
endif()
message(STATUS "Prepared ${DATABASE}")
