# The editor: one static library per folder (so each layer builds and tests on its own),
# `cyrvert_gui` bundling them, and the program.
set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTORCC ON)

# cyrvert_folder_library(<target> <folder> [EXCLUDE <regex>] LIBS <deps>...)
function(cyrvert_folder_library target folder)
  cmake_parse_arguments(L "" "EXCLUDE" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.h)
  if(L_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${L_EXCLUDE}")
  endif()
  if(sources)
    add_library(${target} STATIC ${sources} ${headers})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_include_directories(${target} SYSTEM PUBLIC ${QSCINTILLA_INCLUDE_DIR})
    target_link_libraries(${target} PUBLIC ${L_LIBS})
    cyrvert_warnings(${target})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${L_LIBS})
  endif()
endfunction()

set(CYRVERT_QT_LIBS Qt6::Widgets Qt6::PrintSupport ${QSCINTILLA_LIBRARY})

# Command logic: no widgets, reaches windows through interfaces.
cyrvert_folder_library(cyrvert_commands engine/commands LIBS cyrvert_core Qt6::Core)
# Document, view and child frame.
cyrvert_folder_library(cyrvert_docview docview LIBS cyrvert_core ${CYRVERT_QT_LIBS})
# Dialogs.
cyrvert_folder_library(cyrvert_dialogs dialogs
  LIBS cyrvert_docview cyrvert_assoc cyrvert_project_info cyrvert_core ${CYRVERT_QT_LIBS})
# Application object and main frame.
file(GLOB CYRVERT_APP_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/app/*.cpp ${PROJECT_SOURCE_DIR}/frame/*.cpp)
file(GLOB CYRVERT_APP_HEADERS CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/app/*.h ${PROJECT_SOURCE_DIR}/frame/*.h)
list(FILTER CYRVERT_APP_SOURCES EXCLUDE REGEX "/app/main\\.cpp$")
file(GLOB CYRVERT_QRC CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/*.qrc)
set(CYRVERT_GUI_DEPS cyrvert_assoc cyrvert_commands cyrvert_docview cyrvert_dialogs cyrvert_core
    ${CYRVERT_QT_LIBS})
if(CYRVERT_APP_SOURCES)
  # Resources are compiled into the objects of this library; main() and tests call
  # Q_INIT_RESOURCE(<qrc name>) because static libraries drop unreferenced objects.
  add_library(cyrvert_app STATIC ${CYRVERT_APP_SOURCES} ${CYRVERT_APP_HEADERS} ${CYRVERT_QRC})
  target_include_directories(cyrvert_app PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(cyrvert_app PUBLIC ${CYRVERT_GUI_DEPS})
  cyrvert_warnings(cyrvert_app)
  set(CYRVERT_GUI_DEPS cyrvert_app ${CYRVERT_GUI_DEPS})
endif()

add_library(cyrvert_gui INTERFACE)
target_link_libraries(cyrvert_gui INTERFACE ${CYRVERT_GUI_DEPS})

if(EXISTS ${PROJECT_SOURCE_DIR}/app/main.cpp)
  add_executable(cyrvert ${PROJECT_SOURCE_DIR}/app/main.cpp)
  target_link_libraries(cyrvert PRIVATE cyrvert_gui cyrvert_platform)
  cyrvert_warnings(cyrvert)
  install(TARGETS cyrvert RUNTIME DESTINATION bin)
endif()

# Desktop entry and icons of the editor.
include(${PROJECT_SOURCE_DIR}/resources/install.cmake)
