# A system-wide install (the Debian package): the programs and the help text in
# lib/ziq2, which ZIQ2 finds as its own folder, and the desktop's files in share.
include(GNUInstallDirs)

set(ZIQ_APP_ID org.ziq2.ZIQ2)
set(ZIQ_LIB_DIR ${CMAKE_INSTALL_LIBDIR}/ziq2)
if(CMAKE_INSTALL_LIBDIR MATCHES "/")
    # Debian's multiarch libdir: the programs are not libraries and need no triplet.
    set(ZIQ_LIB_DIR lib/ziq2)
endif()

set(ziq_programs ZIQ2 ziq2-clipboard-keeper ziq2-history)
install(TARGETS ${ziq_programs} RUNTIME DESTINATION ${ZIQ_LIB_DIR})
install(FILES resources/ziqhelp.txt DESTINATION ${ZIQ_LIB_DIR})
# A link, so that ZIQ2 still finds its own folder through it.
file(RELATIVE_PATH ziq_bin_to_lib /${CMAKE_INSTALL_BINDIR} /${ZIQ_LIB_DIR})
install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK ${ziq_bin_to_lib}/ZIQ2
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/ziq2\" SYMBOLIC)
    file(CREATE_LINK ${ziq_bin_to_lib}/ziq2-history
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/ziq2-history\" SYMBOLIC)")
install(PROGRAMS packaging/linux/ziq2-autostart DESTINATION ${CMAKE_INSTALL_BINDIR})

# The menu entry of tools/install.sh; its history action runs /usr/bin/ziq2-history.
file(READ packaging/linux/ziq2.desktop ziq_desktop_entry)
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/${ZIQ_APP_ID}.desktop CONTENT "${ziq_desktop_entry}")
install(FILES ${CMAKE_BINARY_DIR}/${ZIQ_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/linux/${ZIQ_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 22 24 32 48 64 128)
    install(FILES packaging/linux/icons/ziq2-${size}.png RENAME ziq2.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES resources/ziq_256.png RENAME ziq2.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES packaging/linux/ziq2.1 packaging/linux/ziq2-history.1 packaging/linux/ziq2-autostart.1
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
