# Installing the catalog like a desktop program: `cmake --install build --prefix P` lays out
#   P/lib/velkorn/        the Application directory (velkorn, upd, KATALOG.GDB, tr/en/de.lng, images/, translations/,
#                         VERSION)
#   P/bin/velkorn         the launcher, which runs the program on the user's writable copy of that directory
#   P/share/applications, P/share/icons/hicolor/scalable/apps, P/share/metainfo   the desktop entry, icon, AppStream
# and `cpack -G DEB` packs the same layout below /opt/velkorn, with the menu entry where desktops look for it.
include(GNUInstallDirs)

set(VELKORN_APP_ID example.velkorn.catalog)
set(VELKORN_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(VELKORN_INSTALL_APP_DIR lib/velkorn)
# The release date of the metainfo; SOURCE_DATE_EPOCH makes it reproducible.
string(TIMESTAMP VELKORN_RELEASE_DATE "%Y-%m-%d" UTC)

# The rules name the program targets, so they run once every module has been added.
function(velkorn_install_rules)
    install(TARGETS velkorn upd RUNTIME DESTINATION ${VELKORN_INSTALL_APP_DIR})
    # The catalog is only read from here; every user works on a copy.
    install(FILES ${VELKORN_DIST_DIR}/KATALOG.GDB ${VELKORN_DIST_DIR}/tr.lng ${VELKORN_DIST_DIR}/en.lng
                  ${VELKORN_DIST_DIR}/de.lng
            DESTINATION ${VELKORN_INSTALL_APP_DIR} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    install(DIRECTORY ${VELKORN_DIST_DIR}/images DESTINATION ${VELKORN_INSTALL_APP_DIR})
    # Qt's own texts for its dialogs in German and Turkish.
    install(DIRECTORY ${VELKORN_DIST_DIR}/translations DESTINATION ${VELKORN_INSTALL_APP_DIR}
            FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

    # The version stamp tells the launcher when a user's copy is older than the installed program.
    file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/packaging/VERSION CONTENT "${PROJECT_VERSION}\n")
    install(FILES ${CMAKE_BINARY_DIR}/packaging/VERSION DESTINATION ${VELKORN_INSTALL_APP_DIR})

    configure_file(${VELKORN_PACKAGING_DIR}/velkorn.metainfo.xml.in
                   ${CMAKE_BINARY_DIR}/packaging/${VELKORN_APP_ID}.metainfo.xml @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/${VELKORN_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${VELKORN_PACKAGING_DIR}/velkorn.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
            RENAME ${VELKORN_APP_ID}.svg)

    # The launcher and the desktop entry name absolute paths below the prefix, which is known only when installing
    # (`--prefix`, or /opt/velkorn inside cpack).
    install(CODE "set(VELKORN_APP_ID ${VELKORN_APP_ID})
        set(VELKORN_PACKAGING_DIR ${VELKORN_PACKAGING_DIR})
        set(VELKORN_INSTALL_APP_DIR ${VELKORN_INSTALL_APP_DIR})
        set(VELKORN_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
        set(VELKORN_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR})")
    install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/InstallLauncher.cmake)

    # The Debian package.
    set(CPACK_PACKAGE_NAME velkorn)
    set(CPACK_PACKAGE_VENDOR Velkorn)
    set(CPACK_PACKAGE_CONTACT "Velkorn <catalog@velkorn.example>")
    set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Velkorn air spring catalog")
    string(CONCAT CPACK_PACKAGE_DESCRIPTION "Look up Velkorn air springs by product, OEM or cross-reference code, "
           "by bellows style or by vehicle usage. The catalog works offline and pulls changes from the maker's server "
           "at every start.")
    set(CPACK_PACKAGING_INSTALL_PREFIX /opt/velkorn)
    set(CPACK_STRIP_FILES ON)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION misc)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    # Loaded at run time, so the shared-library scan does not see them: the database driver and the embedded engine.
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-ibase, firebird3.0-server-core")
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
    # Desktops look for menu entries, icons and metainfo below /usr/share only.
    set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebianDesktopLinks.cmake)
    include(CPack)
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL velkorn_install_rules)
