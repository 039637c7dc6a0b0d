# Installation: the program gets a folder of its own, because its settings file and its database
# live beside the executable (and both are written while it runs, so the folder must be writable
# by the user who runs it). bin/ gets a link to the executable, share/ the menu entry and the icon.
#
#   cmake --install build --prefix ~/.local      a per-user install
#   cmake --install build --prefix /opt/zelnoa   then give the user lib/zelnoa (chown)
include(GNUInstallDirs)

# Everything they link comes from the system, so the installed executables need no run path.
set_target_properties(zelnoa zelnoa-import PROPERTIES INSTALL_RPATH "")
install(TARGETS zelnoa zelnoa-import RUNTIME DESTINATION lib/zelnoa)
install(CODE "set(ZELNOA_SAMPLE_DB \"${ZELNOA_SAMPLE_DB_PATH}\")
set(ZELNOA_DESKTOP_TEMPLATE \"${CMAKE_CURRENT_LIST_DIR}/zelnoa.desktop.in\")
set(ZELNOA_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
set(ZELNOA_DATADIR \"${CMAKE_INSTALL_DATADIR}\")")
install(SCRIPT "${CMAKE_CURRENT_LIST_DIR}/InstallProgramFolder.cmake")
install(FILES "${CMAKE_SOURCE_DIR}/app/zelnoa.png"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps")
install(FILES "${CMAKE_SOURCE_DIR}/app/zelnoa.svg"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
