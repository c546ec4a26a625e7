# Each library exports only its own include folder: a folder in its build tree that holds a link named after
# the module path ("sync", "update/helper") to the module's source folder, so "sync/CatalogSync.h" resolves and
# nothing else in the repository does. The include lines stay "module/File.h".

# velkorn_export_headers(<target> <module path> [FILES]): FILES links each header of the folder on its own
# instead of the whole folder, for a module whose folder also holds other libraries (update/ holds archive/,
# helper/ and wizard/, which the engine must not hand out to whoever links it).
function(velkorn_export_headers target module)
    cmake_parse_arguments(arg "FILES" "" "" ${ARGN})
    set(include_dir ${CMAKE_CURRENT_BINARY_DIR}/include)
    set(link ${include_dir}/${module})
    get_filename_component(parent ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(arg_FILES)
        if(IS_SYMLINK ${link})
            file(REMOVE ${link})
        endif()
        file(MAKE_DIRECTORY ${link})
        # Headers added later appear on the next configure, which the glob triggers.
        file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
        file(GLOB stale RELATIVE ${link} ${link}/*.h)
        foreach(old IN LISTS stale)
            if(NOT old IN_LIST headers)
                file(REMOVE ${link}/${old})
            endif()
        endforeach()
        foreach(header IN LISTS headers)
            file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${link}/${header} SYMBOLIC)
        endforeach()
    else()
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${link} SYMBOLIC)
    endif()
    target_include_directories(${target} PUBLIC ${include_dir})
endfunction()

# Every velkorn_* library of the build, found through the directories (BUILDSYSTEM_TARGETS), so that a new
# library is checked without being listed.
function(velkorn_collect_libraries dir out)
    set(found ${${out}})
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(target MATCHES "^velkorn_" AND type MATCHES "_LIBRARY$")
            list(APPEND found ${target})
        endif()
    endforeach()
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub IN LISTS subdirs)
        velkorn_collect_libraries(${sub} found)
    endforeach()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

# No library may hand out the repository root again: whoever links it could then include any module's headers
# without linking that module. Checked at configure time, like the windowless layers (cmake/LayerCheck.cmake).
function(velkorn_check_include_folders)
    set(libraries)
    velkorn_collect_libraries(${PROJECT_SOURCE_DIR} libraries)
    foreach(target IN LISTS libraries)
        get_target_property(dirs ${target} INTERFACE_INCLUDE_DIRECTORIES)
        if(NOT dirs)
            continue()
        endif()
        foreach(dir IN LISTS dirs)
            string(REGEX REPLACE "^\\$<BUILD_INTERFACE:(.*)>$" "\\1" dir "${dir}")
            get_filename_component(resolved "${dir}" REALPATH)
            if(resolved STREQUAL PROJECT_SOURCE_DIR)
                message(FATAL_ERROR
                    "${target} exports the source root; export its own folder instead (see cmake/Modules.cmake)")
            endif()
        endforeach()
    endforeach()
endfunction()
