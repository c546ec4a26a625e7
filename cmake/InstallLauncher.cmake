# Run by `cmake --install` (and by cpack): writes the launcher and the desktop entry with the absolute paths of
# this installation straight into place, so that installs into different prefixes never share a file.
set(prefix "${CMAKE_INSTALL_PREFIX}")
set(VELKORN_INSTALLED_APP_DIR "${prefix}/${VELKORN_INSTALL_APP_DIR}")
set(VELKORN_LAUNCHER "${prefix}/${VELKORN_INSTALL_BINDIR}/velkorn")

function(velkorn_install_configured template destination)
    set(target "$ENV{DESTDIR}${destination}")
    message(STATUS "Installing: ${target}")
    configure_file("${VELKORN_PACKAGING_DIR}/${template}" "${target}" @ONLY ${ARGN})
    set(CMAKE_INSTALL_MANIFEST_FILES ${CMAKE_INSTALL_MANIFEST_FILES} "${target}" PARENT_SCOPE)
endfunction()

velkorn_install_configured(velkorn-launch.sh.in "${VELKORN_LAUNCHER}"
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
velkorn_install_configured(velkorn.desktop.in "${prefix}/${VELKORN_INSTALL_DATADIR}/applications/${VELKORN_APP_ID}.desktop"
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
