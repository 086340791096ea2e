# The Windows installer (NSIS): varnet-updater-<version>-setup.exe in the build folder, made with
# every build when makensis is there (cmake/ensure-packages.sh installs it for the Windows tests).
find_program(VARNET_MAKENSIS makensis)
if(VARNET_MAKENSIS AND TARGET varnet-updater AND TARGET IniFileManager)
  set(VARNET_INSTALLER ${CMAKE_BINARY_DIR}/varnet-updater-${PROJECT_VERSION}-setup.exe)
  set(image ${PROJECT_SOURCE_DIR}/resources/Varnet1.0.2.cyacd)
  set(script ${CMAKE_CURRENT_LIST_DIR}/varnet-updater.nsi)
  # The installer carries the program and plug-in without their debugging information.
  set(stage ${CMAKE_BINARY_DIR}/installer-stage)
  add_custom_command(
    OUTPUT ${stage}/varnet-updater.exe ${stage}/IniFileManager.dll
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
    COMMAND ${CMAKE_STRIP} -o ${stage}/varnet-updater.exe $<TARGET_FILE:varnet-updater>
    COMMAND ${CMAKE_STRIP} -o ${stage}/IniFileManager.dll $<TARGET_FILE:IniFileManager>
    DEPENDS varnet-updater IniFileManager
    COMMENT "Stripping the program and plug-in for the installer"
    VERBATIM)
  add_custom_command(
    OUTPUT ${VARNET_INSTALLER}
    COMMAND ${VARNET_MAKENSIS} -V2 -NOCD
            "-DPRODUCT_NAME=${VARNET_PRODUCT_NAME}" "-DCOMPANY_NAME=${VARNET_COMPANY_NAME}"
            -DVERSION=${PROJECT_VERSION} -DOUTFILE=${VARNET_INSTALLER}
            -DPROGRAM=${stage}/varnet-updater.exe -DPLUGIN=${stage}/IniFileManager.dll
            -DIMAGE=${image} -DIMAGE_NAME=Varnet1.0.2.cyacd
            -DICON=${PROJECT_SOURCE_DIR}/resources/windows/VarnetUpdater.ico ${script}
    DEPENDS ${stage}/varnet-updater.exe ${stage}/IniFileManager.dll ${script} ${image} ${PROJECT_SOURCE_DIR}/resources/windows/VarnetUpdater.ico
    COMMENT "Making the Windows installer"
    VERBATIM)
  add_custom_target(VarnetInstaller ALL DEPENDS ${VARNET_INSTALLER})
endif()
