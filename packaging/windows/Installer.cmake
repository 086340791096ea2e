# The Windows installer (NSIS): varnet-updater-<version>-setup.exe in the build folder, made with
# every build when makensis is there (cmake/ensure-packages.sh installs it for the Windows tests).
find_program(VARNET_MAKENSIS makensis)
if(VARNET_MAKENSIS AND TARGET varnet-updater AND TARGET IniFileManager)
  set(VARNET_INSTALLER ${CMAKE_BINARY_DIR}/varnet-updater-${PROJECT_VERSION}-setup.exe)
  set(image ${PROJECT_SOURCE_DIR}/resources/Varnet1.0.2.cyacd)
  set(script ${CMAKE_CURRENT_LIST_DIR}/varnet-updater.nsi)
  add_custom_command(
    OUTPUT ${VARNET_INSTALLER}
    COMMAND ${VARNET_MAKENSIS} -V2 -NOCD
            "-DPRODUCT_NAME=${VARNET_PRODUCT_NAME}" "-DCOMPANY_NAME=${VARNET_COMPANY_NAME}"
            -DVERSION=${PROJECT_VERSION} -DOUTFILE=${VARNET_INSTALLER}
            -DPROGRAM=$<TARGET_FILE:varnet-updater> -DPLUGIN=$<TARGET_FILE:IniFileManager>
            -DIMAGE=${image} -DIMAGE_NAME=Varnet1.0.2.cyacd
            -DICON=${PROJECT_SOURCE_DIR}/resources/windows/VarnetUpdater.ico ${script}
    DEPENDS varnet-updater IniFileManager ${script} ${image} ${PROJECT_SOURCE_DIR}/resources/windows/VarnetUpdater.ico
    COMMENT "Making the Windows installer"
    VERBATIM)
  add_custom_target(VarnetInstaller ALL DEPENDS ${VARNET_INSTALLER})
endif()
