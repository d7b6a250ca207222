# Installs the desktop entry, the AppStream metainfo and the icons of the editor (included
# from the GUI build).
set(CYRVERT_GENERATED_RESOURCES ${PROJECT_BINARY_DIR}/generated/resources)
configure_file(${CMAKE_CURRENT_LIST_DIR}/cyrvert.desktop.in
               ${CYRVERT_GENERATED_RESOURCES}/cyrvert.desktop @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/cyrvert.metainfo.xml.in
               ${CYRVERT_GENERATED_RESOURCES}/${CYRVERT_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${CYRVERT_GENERATED_RESOURCES}/cyrvert.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CYRVERT_GENERATED_RESOURCES}/${CYRVERT_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 64 128)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/cyrvert_${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME cyrvert.png)
endforeach()
