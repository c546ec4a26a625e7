# Run by cpack after installing into its staging tree. The package keeps everything below /opt/velkorn; desktops
# look for menu entries, icons and AppStream data only below /usr/share, and a shell for programs in /usr/bin, so
# the package links those places to the files in /opt/velkorn.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()
set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
set(prefix ${CPACK_PACKAGING_INSTALL_PREFIX})
file(GLOB_RECURSE shared RELATIVE ${root}${prefix} ${root}${prefix}/share/*)
foreach(file ${shared} bin/velkorn)
    string(REGEX REPLACE "^share/" "usr/share/" link ${file})
    string(REGEX REPLACE "^bin/" "usr/bin/" link ${link})
    get_filename_component(dir ${root}/${link} DIRECTORY)
    file(MAKE_DIRECTORY ${dir})
    file(CREATE_LINK ${prefix}/${file} ${root}/${link} SYMBOLIC)
endforeach()
