# Installs the desktop entry and the icons of the editor (included from the GUI build).
install(FILES ${CMAKE_CURRENT_LIST_DIR}/cyrvert.desktop DESTINATION share/applications)
foreach(size 16 32 48 64 128)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/cyrvert_${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME cyrvert.png)
endforeach()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/cyrvert_128.png
        DESTINATION share/pixmaps RENAME cyrvert.png)
# The README stands in for a help file (Help Topics opens it).
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/cyrvert OPTIONAL)
