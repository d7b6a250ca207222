# The editor: one library of the Qt layers (so tests can link it) and the program.
set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTORCC ON)

file(GLOB CYRVERT_GUI_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/engine/commands/*.cpp
  ${PROJECT_SOURCE_DIR}/app/*.cpp
  ${PROJECT_SOURCE_DIR}/docview/*.cpp
  ${PROJECT_SOURCE_DIR}/dialogs/*.cpp
  ${PROJECT_SOURCE_DIR}/frame/*.cpp
  ${PROJECT_SOURCE_DIR}/assoc/*.cpp)
file(GLOB CYRVERT_GUI_HEADERS CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/engine/commands/*.h
  ${PROJECT_SOURCE_DIR}/app/*.h
  ${PROJECT_SOURCE_DIR}/docview/*.h
  ${PROJECT_SOURCE_DIR}/dialogs/*.h
  ${PROJECT_SOURCE_DIR}/frame/*.h
  ${PROJECT_SOURCE_DIR}/assoc/*.h)
list(FILTER CYRVERT_GUI_SOURCES EXCLUDE REGEX "/app/main\\.cpp$")
list(FILTER CYRVERT_GUI_SOURCES EXCLUDE REGEX "/assoc/txtassoc_main\\.cpp$")
file(GLOB CYRVERT_QRC CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/*.qrc)

add_library(cyrvert_gui STATIC ${CYRVERT_GUI_SOURCES} ${CYRVERT_GUI_HEADERS} ${CYRVERT_QRC})
target_include_directories(cyrvert_gui PUBLIC ${PROJECT_SOURCE_DIR})
target_include_directories(cyrvert_gui SYSTEM PUBLIC ${QSCINTILLA_INCLUDE_DIR})
target_link_libraries(cyrvert_gui PUBLIC cyrvert_core Qt6::Widgets Qt6::PrintSupport
                      ${QSCINTILLA_LIBRARY})
cyrvert_warnings(cyrvert_gui)

if(EXISTS ${PROJECT_SOURCE_DIR}/app/main.cpp)
  add_executable(cyrvert ${PROJECT_SOURCE_DIR}/app/main.cpp)
  target_link_libraries(cyrvert PRIVATE cyrvert_gui)
  cyrvert_warnings(cyrvert)
  install(TARGETS cyrvert RUNTIME DESTINATION bin)
endif()
