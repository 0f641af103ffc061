# What `cmake --install` puts where, and the Debian package CPack makes of it.

set(WARBLET_APP_ID "org.warblet.Warblet")
set(WARBLET_SCREENSHOT_URL "https://warblet.example.org/screenshot.png" CACHE STRING
    "Where the published copy of docs/screenshot.png is, for the AppStream metainfo")

install(TARGETS warblet-cli warblet-standin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/standin-seed.json DESTINATION ${WARBLET_DATA_DIR})

if(WARBLET_BUILD_UI)
    install(TARGETS warblet RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(DIRECTORY ${CMAKE_BINARY_DIR}/dat DESTINATION ${WARBLET_DATA_DIR})
    install(FILES packaging/${WARBLET_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    configure_file(packaging/${WARBLET_APP_ID}.metainfo.xml.in
                   ${CMAKE_BINARY_DIR}/packaging/${WARBLET_APP_ID}.metainfo.xml @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/${WARBLET_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES packaging/icons/${WARBLET_APP_ID}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# Manual pages made from each program's --help and --version, which need no display.
find_program(WARBLET_HELP2MAN help2man REQUIRED)
set(_warblet_manuals warblet-cli warblet-standin)
set(_summary_warblet-cli "command-line tool of the Warblet microblogging client")
set(_summary_warblet-standin "local stand-in of the microblogging service for trying Warblet")
set(_summary_warblet "desktop client for a microblogging service")
if(WARBLET_BUILD_UI)
    list(APPEND _warblet_manuals warblet)
endif()
set(_warblet_manual_files)
foreach(_program IN LISTS _warblet_manuals)
    set(_page ${CMAKE_BINARY_DIR}/packaging/${_program}.1)
    add_custom_command(
        OUTPUT ${_page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
        COMMAND ${WARBLET_HELP2MAN} --no-info --no-discard-stderr "--name=${_summary_${_program}}"
                --output=${_page} $<TARGET_FILE:${_program}>
        COMMAND gzip -9 -n -f ${_page}
        DEPENDS ${_program}
        VERBATIM)
    list(APPEND _warblet_manual_files ${_page}.gz)
endforeach()
add_custom_target(warblet_manuals ALL DEPENDS ${_warblet_manual_files})
install(FILES ${_warblet_manual_files} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Debian wants the copyright and a compressed changelog in the package's documentation folder.
set(_warblet_changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(
    OUTPUT ${_warblet_changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND sh -c "gzip -9 -n -c \"$0\" > \"$1\"" ${PROJECT_SOURCE_DIR}/packaging/changelog
            ${_warblet_changelog}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
    VERBATIM)
add_custom_target(warblet_changelog ALL DEPENDS ${_warblet_changelog})
install(FILES packaging/copyright ${_warblet_changelog}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/warblet)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME warblet)
set(CPACK_PACKAGE_VENDOR "Warblet developers")
set(CPACK_PACKAGE_CONTACT "Warblet developers <warblet@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop client for a microblogging service")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Warblet reads and writes statuses of a microblogging service's version-1\n"
    "interface: one account, five tabs (home timeline, mentions, direct\n"
    "messages, a list, a saved search), unread counts, replies, favourites and\n"
    "a per-day log of everything received. A local stand-in of the service\n"
    "comes with it for trying it out (warblet --demo).")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The icon theme gives the tool bar sharp pictures at a scale factor above 1.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, adwaita-icon-theme")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
