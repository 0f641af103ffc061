# The icon files the program loads from "dat/" in its working directory, made at build time from
# the famfamfam Silk set (Mark James, CC BY 2.5/3.0; Debian package famfamfam-silk). Each picture
# button has a normal icon and a lightened hover copy; "cancel" and "comments" have no hover copy.

set(WARBLET_SILK_DIR "/usr/share/icons/silk/16x16" CACHE PATH
    "Folder of the famfamfam Silk 16x16 PNG icons")

set(_warblet_hover_icons arrow_refresh accept pencil wrench arrow_redo star magnifier)
set(_warblet_plain_icons cancel comments)

foreach(_icon IN LISTS _warblet_hover_icons _warblet_plain_icons)
    if(NOT EXISTS "${WARBLET_SILK_DIR}/${_icon}.png")
        message(FATAL_ERROR "Icon source ${WARBLET_SILK_DIR}/${_icon}.png is missing: install the "
                            "famfamfam-silk package or set WARBLET_SILK_DIR.")
    endif()
endforeach()

find_package(Qt6 REQUIRED COMPONENTS Gui)

add_executable(warblet_icon_tool ${CMAKE_CURRENT_LIST_DIR}/icontool.cpp)
target_link_libraries(warblet_icon_tool PRIVATE Qt6::Gui)
warblet_warnings(warblet_icon_tool)

set(_warblet_dat "${CMAKE_BINARY_DIR}/dat")
set(_warblet_icon_files)
foreach(_icon IN LISTS _warblet_hover_icons _warblet_plain_icons)
    set(_outputs "${_warblet_dat}/${_icon}.ico")
    if(_icon IN_LIST _warblet_hover_icons)
        list(APPEND _outputs "${_warblet_dat}/${_icon}_h.ico")
    endif()
    add_custom_command(
        OUTPUT ${_outputs}
        COMMAND ${CMAKE_COMMAND} -E make_directory "${_warblet_dat}"
        COMMAND warblet_icon_tool "${WARBLET_SILK_DIR}/${_icon}.png" ${_outputs}
        DEPENDS warblet_icon_tool "${WARBLET_SILK_DIR}/${_icon}.png"
        COMMENT "Making icon dat/${_icon}.ico"
        VERBATIM)
    list(APPEND _warblet_icon_files ${_outputs})
endforeach()

add_custom_target(warblet_icons ALL DEPENDS ${_warblet_icon_files})
