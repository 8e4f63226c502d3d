# Runs at the end of `cmake --install`: registers the file type, the desktop entry and the icons
# just installed under the prefix, with whichever of the tools is there, so that a plain install
# works at once. A staged install (DESTDIR set, which is also how the package is built) leaves
# the caches alone: a staged /usr is not the system, a cache built there would hold this program
# alone, and on the real system the package's triggers update them.
if(NOT "$ENV{DESTDIR}" STREQUAL "")
    message(STATUS "Staged install under DESTDIR: the desktop's caches are left alone")
    return()
endif()

set(data "${CMAKE_INSTALL_PREFIX}/${cobblestack_data_dir}")
find_program(update_mime_database update-mime-database)
if(update_mime_database)
    execute_process(COMMAND ${update_mime_database} "${data}/mime")
endif()
find_program(update_desktop_database update-desktop-database)
if(update_desktop_database)
    execute_process(COMMAND ${update_desktop_database} -q "${data}/applications")
endif()
find_program(gtk_update_icon_cache gtk-update-icon-cache)
if(gtk_update_icon_cache AND EXISTS "${data}/icons/hicolor/index.theme")
    execute_process(COMMAND ${gtk_update_icon_cache} -q -f "${data}/icons/hicolor")
endif()
