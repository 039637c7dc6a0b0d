# cmake -DSOURCE=FILE -DTARGET=FILE -P CopyIfMissing.cmake
# Copies SOURCE to TARGET only when TARGET does not exist; the user's own database is kept.
if(EXISTS "${TARGET}")
    return()
endif()
get_filename_component(folder "${TARGET}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
# Copy under a temporary name first, so an interrupted build never leaves a partial database.
file(COPY_FILE "${SOURCE}" "${TARGET}.tmp")
file(CHMOD "${TARGET}.tmp" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(RENAME "${TARGET}.tmp" "${TARGET}" NO_REPLACE RESULT result)
file(REMOVE "${TARGET}.tmp")
if(result STREQUAL "0")
    message(STATUS "Placed the sample database at ${TARGET}")
endif()
