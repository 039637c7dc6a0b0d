# Installation in the usual places (GNUInstallDirs). An installed program finds its files from the
# executable's folder: the sample master in ../share/zelnoa, the converter in ../libexec/zelnoa.
# The user's settings live under $XDG_CONFIG_HOME, so nothing under the prefix is written at run
# time and one install serves every user.
#
#   cmake --install build --prefix ~/.local      a per-user install
#   cd build && cpack -G DEB                      the Debian package (see package.cmake)
include(GNUInstallDirs)

# Everything they link comes from the system, so the installed executables need no run path.
set(ZELNOA_PROGRAMS zelnoa zelnoa-import)
if(TARGET zelnoa-plan)
    list(APPEND ZELNOA_PROGRAMS zelnoa-plan)
endif()
set_target_properties(${ZELNOA_PROGRAMS} PROPERTIES INSTALL_RPATH "")
# Full RELRO and immediate binding, as Debian builds its own packages.
foreach(program IN LISTS ZELNOA_PROGRAMS)
    target_link_options(${program} PRIVATE LINKER:-z,relro LINKER:-z,now)
endforeach()

install(TARGETS zelnoa DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(TARGETS zelnoa-import DESTINATION "${CMAKE_INSTALL_LIBEXECDIR}/zelnoa")
install(FILES "${ZELNOA_SAMPLE_DB_PATH}" DESTINATION "${CMAKE_INSTALL_DATADIR}/zelnoa")

set(here "${CMAKE_CURRENT_LIST_DIR}")
install(FILES "${here}/zelnoa.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${here}/io.github.zelnoa.zelnoa.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES "${CMAKE_SOURCE_DIR}/app/zelnoa.png"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps")
install(FILES "${CMAKE_SOURCE_DIR}/app/zelnoa.svg"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
install(FILES "${here}/copyright" DESTINATION "${CMAKE_INSTALL_DOCDIR}")

# Manual pages and the changelog go in compressed with gzip -9n, as Debian wants them: the
# highest compression and no time stamp in the header, so that two builds give the same bytes.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(pages zelnoa.1)
if(TARGET zelnoa-plan)
    install(TARGETS zelnoa-plan DESTINATION "${CMAKE_INSTALL_BINDIR}")
    list(APPEND pages zelnoa-plan.1)
endif()
set(compressed "")
foreach(source IN LISTS pages ITEMS changelog)
    set(output "${CMAKE_CURRENT_BINARY_DIR}/packaging/${source}.gz")
    add_custom_command(OUTPUT "${output}"
        COMMAND "${GZIP_PROGRAM}" -9nc "${here}/${source}" > "${output}"
        DEPENDS "${here}/${source}" VERBATIM)
    list(APPEND compressed "${output}")
endforeach()
add_custom_target(zelnoa_compressed_docs ALL DEPENDS ${compressed})
list(POP_BACK compressed changelog)
install(FILES ${compressed} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${changelog}" DESTINATION "${CMAKE_INSTALL_DOCDIR}")

include("${here}/package.cmake")
