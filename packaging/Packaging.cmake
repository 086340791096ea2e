# Installation and the Debian package.
#
# Layout under the prefix (/usr in the package):
#   lib/varnet-updater/varnet-updater          the program; it looks for its firmware image and its
#   lib/varnet-updater/Varnet1.0.2.cyacd       settings plug-in in the folder of its own executable
#   lib/varnet-updater/libIniFileManager.so    (/proc/self/exe), so the three stay together
#   bin/varnet-updater -> ../lib/varnet-updater/varnet-updater
#   bin/varnet-image, bin/varnet-updater-suppressed
#   share/applications/varnet-updater.desktop
#   share/icons/hicolor/NxN/apps/varnet-updater.png   N = 16 24 32 48 64 128 256
#   lib/udev/rules.d/70-varnet.rules           seat access to the device's hidraw nodes
#   share/man/man1/varnet-updater.1.gz, varnet-image.1.gz, varnet-updater-suppressed.1.gz
#   share/doc/varnet-updater/copyright, README.md
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

# The menu icons are drawn at build time: small sizes as a simplified front, large ones cut from
# the program's artwork (resources/VarnetUpdaterIcon.png, the window icon, is the 48-pixel one).
add_executable(varnet-make-icon ${VARNET_PACKAGING_DIR}/make_icon.cpp)
target_include_directories(varnet-make-icon PRIVATE ${PROJECT_SOURCE_DIR}/tools)
target_link_libraries(varnet-make-icon PRIVATE PkgConfig::CAIRO)
set_target_properties(varnet-make-icon PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
varnet_warnings(varnet-make-icon)
set(VARNET_ICON_SIZES 16 24 32 48 64 128 256)
set(VARNET_ICONS)
foreach(size ${VARNET_ICON_SIZES})
  set(icon ${CMAKE_BINARY_DIR}/packaging/icons/${size}x${size}/varnet-updater.png)
  add_custom_command(
    OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/icons/${size}x${size}
    COMMAND varnet-make-icon ${PROJECT_SOURCE_DIR}/resources/VarnetUpdater.png ${icon} ${size}
    DEPENDS varnet-make-icon ${PROJECT_SOURCE_DIR}/resources/VarnetUpdater.png
    COMMENT "Drawing the ${size}-pixel icon")
  list(APPEND VARNET_ICONS ${icon})
  install(FILES ${icon} DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
# Debian keeps manual pages compressed; -n leaves out the time stamp so builds repeat exactly.
set(VARNET_MANPAGES)
foreach(page varnet-updater varnet-image varnet-updater-suppressed)
  set(out ${CMAKE_BINARY_DIR}/packaging/${page}.1.gz)
  add_custom_command(
    OUTPUT ${out}
    COMMAND gzip -9n -c ${VARNET_PACKAGING_DIR}/${page}.1 > ${out}
    DEPENDS ${VARNET_PACKAGING_DIR}/${page}.1
    COMMENT "Compressing the manual page of ${page}")
  list(APPEND VARNET_MANPAGES ${out})
endforeach()
add_custom_target(VarnetPackageFiles ALL DEPENDS ${VARNET_ICONS} ${VARNET_MANPAGES})

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
install(FILES ${VARNET_MANPAGES} DESTINATION share/man/man1)
install(FILES ${VARNET_PACKAGING_DIR}/copyright ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/varnet-updater)
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
# The skin asks for Arial; Liberation Sans has its metrics, and the texts are fitted to them.
# WenQuanYi Micro Hei draws Japanese, Korean and both Chinese in one 5 MB font (the Noto CJK
# fonts are 90 MB), so those languages are not shown as boxes on a fresh machine.
set(VARNET_FONT_DEPENDS "fonts-liberation, fonts-wqy-microhei")
find_program(VARNET_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(VARNET_DPKG_SHLIBDEPS)
  # The libraries found by dpkg-shlibdeps are added to these.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${VARNET_FONT_DEPENDS}")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libsdl2-2.0-0, libcairo2, libpango-1.0-0, libpangocairo-1.0-0, libhidapi-hidraw0, libexpat1, ${VARNET_FONT_DEPENDS}")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${VARNET_PACKAGING_DIR}/postinst ${VARNET_PACKAGING_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
