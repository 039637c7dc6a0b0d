# Run by `cmake --install` (see install.cmake): what depends on the prefix installed to or on what
# is already there.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")

# The sample master only when the folder has no database yet: a reinstall never replaces the
# user's own file.
if(NOT EXISTS "${root}/lib/zelnoa/vaelbuki.mdb")
    file(INSTALL "${ZELNOA_SAMPLE_DB}" DESTINATION "${root}/lib/zelnoa")
endif()

# The link is enough to start the program from bin/: the program asks the kernel for its own
# executable, which is the link's target, and finds its folder there.
file(MAKE_DIRECTORY "${root}/${ZELNOA_BINDIR}")
message(STATUS "Installing: ${root}/${ZELNOA_BINDIR}/zelnoa")
file(CREATE_LINK "../lib/zelnoa/zelnoa" "${root}/${ZELNOA_BINDIR}/zelnoa" SYMBOLIC)

# The menu entry names the launcher under the prefix actually installed to.
file(READ "${ZELNOA_DESKTOP_TEMPLATE}" entry)
string(REPLACE "@ZELNOA_LAUNCHER@" "\"${CMAKE_INSTALL_PREFIX}/${ZELNOA_BINDIR}/zelnoa\"" entry
    "${entry}")
message(STATUS "Installing: ${root}/${ZELNOA_DATADIR}/applications/zelnoa.desktop")
file(WRITE "${root}/${ZELNOA_DATADIR}/applications/zelnoa.desktop" "${entry}")
