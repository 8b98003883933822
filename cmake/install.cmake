# Installing like a desktop program: `cmake --install <build> --prefix PREFIX` puts the program in
# bin/, the program folder's data in share/vyrex/ (where the program looks when it was started
# from bin/ and the current directory holds no packs), and the menu entry, the icon theme's icons
# and the AppStream metainfo where the desktop finds them. `cpack -G DEB` in the build folder
# makes a Debian package of the same files.
include(GNUInstallDirs)

set(vyrex_desktop_dir ${CMAKE_BINARY_DIR}/desktop)
configure_file(${PROJECT_SOURCE_DIR}/data/desktop/vyrex.desktop.in
               ${vyrex_desktop_dir}/${VYREX_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/desktop/vyrex.metainfo.xml.in
               ${vyrex_desktop_dir}/${VYREX_APP_ID}.metainfo.xml @ONLY)

# The icon at every size of the hicolor theme, drawn by the project's own tool; the program
# folder keeps the largest, which a menu entry written by Setup for a build's copy points at.
set(vyrex_icons ${vyrex_desktop_dir}/icons)
add_custom_command(OUTPUT ${vyrex_icons}/256x256/apps/${VYREX_APP_ID}.png ${VYREX_STAGE}/${VYREX_APP_ID}.png
  COMMAND bmptool --icons ${vyrex_icons} ${VYREX_APP_ID}
  COMMAND ${CMAKE_COMMAND} -E copy ${vyrex_icons}/256x256/apps/${VYREX_APP_ID}.png ${VYREX_STAGE}/${VYREX_APP_ID}.png
  DEPENDS bmptool VERBATIM)
add_custom_target(vyrex_icons ALL DEPENDS ${vyrex_icons}/256x256/apps/${VYREX_APP_ID}.png)

install(TARGETS vyrex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(VYREX_LAYERS_SHARED)
  # The layers' shared libraries go beside the program's libraries, found through its run path.
  install(TARGETS vyrex_platform vyrex_base vyrex_vfs vyrex_video vyrex_catalog
                  vyrex_navigation vyrex_render vyrex_systems vyrex_console vyrex_zwindows
                  vyrex_extensions vyrex_launcher vyrex_app
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/vyrex)
  set_target_properties(vyrex PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}/vyrex")
endif()
install(DIRECTORY ${VYREX_STAGE}/data ${VYREX_STAGE}/systems ${VYREX_STAGE}/marker ${VYREX_STAGE}/plugin
        DESTINATION ${CMAKE_INSTALL_DATADIR}/vyrex)
install(FILES ${vyrex_desktop_dir}/${VYREX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${vyrex_desktop_dir}/${VYREX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${vyrex_icons}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${PROJECT_SOURCE_DIR}/CREDITS ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
if(EXISTS ${PROJECT_SOURCE_DIR}/LICENSE)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

# The Debian package: its dependencies are read from the program's own links by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vyrex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Oskarn Software")
# The maintainer field Debian asks for: whoever builds the package, told at configure time.
set(VYREX_PACKAGER "Vyrex packagers <vyrex@localhost>" CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${VYREX_PACKAGER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time 3D star map")
set(CPACK_PACKAGE_DESCRIPTION
    "Fly a camera through a catalogue of real stars at their true positions, travel to a star and\
 enter its star system, where planets and moons move on Keplerian orbits. Drawn by its own\
 software rasterizer: no GPU needed.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# desktop-file-utils and the icon cache are the desktop's business; the package only suggests
# what shows its entry in a menu.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "desktop-file-utils")
include(CPack)
