# Installation and the Debian package.
#
# Layout under the prefix (/usr in the package):
#   lib/varnet-updater/varnet-updater          the program; it looks for its firmware image and its
#   lib/varnet-updater/Varnet1.0.2.cyacd       settings plug-in in the folder of its own executable
#   lib/varnet-updater/libIniFileManager.so    (/proc/self/exe), so the three stay together
#   bin/varnet-updater -> ../lib/varnet-updater/varnet-updater
#   bin/varnet-image, bin/varnet-updater-suppressed
#   share/applications/varnet-updater.desktop, share/icons/hicolor/256x256/apps/varnet-updater.png
#   lib/udev/rules.d/70-varnet.rules           seat access to the device's hidraw nodes
#   share/man/man1/varnet-updater.1.gz
set(VARNET_PRIVATE_DIR lib/varnet-updater)
set(VARNET_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})

# The device rule takes its identifiers from the sources, so it cannot drift from what the
# program looks for.
function(varnet_read_id out header name)
  file(STRINGS ${PROJECT_SOURCE_DIR}/${header} lines REGEX "${name} = 0x[0-9A-Fa-f]+")
  if(NOT lines MATCHES "${name} = 0x([0-9A-Fa-f]+)")
    message(FATAL_ERROR "${name} not found in ${header}")
  endif()
  string(TOLOWER "${CMAKE_MATCH_1}" id)
  set(${out} ${id} PARENT_SCOPE)
endfunction()
varnet_read_id(VARNET_APPLICATION_PID src/FirmwareUpdater/Engine/CypressHID/HidTransport.h ApplicationProductId)
varnet_read_id(VARNET_BOOTLOADER_PID src/FirmwareUpdater/Engine/CypressHID/HidTransport.h BootloaderProductId)
varnet_read_id(VARNET_DEFAULT_VID src/FirmwareUpdater/Simulator/SimulatorConfig.h SimulatedVendorId)
set(VARNET_USB_VID ${VARNET_DEFAULT_VID} CACHE STRING "USB vendor identifier (4 hex digits) in the device rule")
configure_file(${VARNET_PACKAGING_DIR}/70-varnet.rules.in ${CMAKE_BINARY_DIR}/packaging/70-varnet.rules @ONLY)

# The menu icon is cut from the program's artwork at build time.
add_executable(varnet-make-icon ${VARNET_PACKAGING_DIR}/make_icon.cpp)
target_include_directories(varnet-make-icon PRIVATE ${PROJECT_SOURCE_DIR}/tools)
target_link_libraries(varnet-make-icon PRIVATE PkgConfig::CAIRO)
set_target_properties(varnet-make-icon PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
varnet_warnings(varnet-make-icon)
set(VARNET_ICON ${CMAKE_BINARY_DIR}/packaging/varnet-updater.png)
add_custom_command(
  OUTPUT ${VARNET_ICON}
  COMMAND varnet-make-icon ${PROJECT_SOURCE_DIR}/resources/VarnetUpdater.png ${VARNET_ICON} 256
  DEPENDS varnet-make-icon ${PROJECT_SOURCE_DIR}/resources/VarnetUpdater.png
  COMMENT "Drawing the menu icon")
# Debian keeps manual pages compressed; -n leaves out the time stamp so builds repeat exactly.
set(VARNET_MANPAGE ${CMAKE_BINARY_DIR}/packaging/varnet-updater.1.gz)
add_custom_command(
  OUTPUT ${VARNET_MANPAGE}
  COMMAND gzip -9n -c ${VARNET_PACKAGING_DIR}/varnet-updater.1 > ${VARNET_MANPAGE}
  DEPENDS ${VARNET_PACKAGING_DIR}/varnet-updater.1
  COMMENT "Compressing the manual page")
add_custom_target(VarnetPackageFiles ALL DEPENDS ${VARNET_ICON} ${VARNET_MANPAGE})

install(TARGETS varnet-updater RUNTIME DESTINATION ${VARNET_PRIVATE_DIR})
if(TARGET IniFileManager)
  install(TARGETS IniFileManager LIBRARY DESTINATION ${VARNET_PRIVATE_DIR})
endif()
install(FILES ${PROJECT_SOURCE_DIR}/resources/Varnet1.0.2.cyacd DESTINATION ${VARNET_PRIVATE_DIR})
install(TARGETS varnet-image RUNTIME DESTINATION bin)
install(PROGRAMS ${VARNET_PACKAGING_DIR}/registry-value.sh DESTINATION bin RENAME varnet-updater-suppressed)
# A relative link, so the tree can be moved (DESTDIR, the package's staging folder).
install(CODE "
  set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/varnet-updater\")
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
  file(REMOVE \"\${link}\")
  message(STATUS \"Installing: \${link} -> ../${VARNET_PRIVATE_DIR}/varnet-updater\")
  file(CREATE_LINK ../${VARNET_PRIVATE_DIR}/varnet-updater \"\${link}\" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${link}\")
")
install(FILES ${VARNET_PACKAGING_DIR}/varnet-updater.desktop DESTINATION share/applications)
install(FILES ${VARNET_ICON} DESTINATION share/icons/hicolor/256x256/apps)
install(FILES ${VARNET_MANPAGE} DESTINATION share/man/man1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/70-varnet.rules DESTINATION lib/udev/rules.d)

# cpack --config <build>/CPackConfig.cmake -G DEB
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnet-updater)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR ${VARNET_COMPANY_NAME})
set(CPACK_PACKAGE_CONTACT "${VARNET_COMPANY_NAME} firmware team <firmware@korvo.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware updater for the Varnet USB audio interface")
set(CPACK_PACKAGE_DESCRIPTION "Finds the Varnet over USB HID, compares its firmware with the bundled
image and updates it, with a small window or silently. Includes a simulated
device (VARNET_DEVICE=simulated), the image tool varnet-image and a udev rule
that gives the logged-in user access to the device.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://korvo.example/varnet")
# The skin asks for Arial; Liberation Sans has its metrics.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
find_program(VARNET_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(VARNET_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libsdl2-2.0-0, libcairo2, libpango-1.0-0, libpangocairo-1.0-0, libhidapi-hidraw0, libexpat1")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${VARNET_PACKAGING_DIR}/postinst ${VARNET_PACKAGING_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
