# Installs the programs like a Linux desktop application (the menu entry and
# the icon in the freedesktop places) and describes the Debian package that
# `cpack -G DEB` builds in the build folder.
include(GNUInstallDirs)

if(TARVENDO_BUILD_CLIENT)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/tarvendo.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/tarvendo.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 48 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/tarvendo-${size}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
      RENAME tarvendo.png)
  endforeach()
endif()

set(CPACK_PACKAGE_NAME tarvendo)
set(CPACK_PACKAGE_VENDOR Tarvendo)
set(CPACK_PACKAGE_CONTACT "Tarvendo Base maintainers <maintainers@tarvendo.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "networked estimation card game for teams")
set(CPACK_PACKAGE_DESCRIPTION "For each work item every player privately picks a card of a
fixed deck; the admin opens all cards at once. Holds the Qt desktop client
(tarvendo), the game server a team runs on one machine (tarvendo-server) and
headless bot players for demos and load runs (tarvendo-bot).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The libraries the programs link come from dpkg-shlibdeps; Qt's platform
# plugins and the DNS-SD daemon are loaded or reached at run time only.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARVENDO_BUILD_CLIENT)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS avahi-daemon)
include(CPack)
