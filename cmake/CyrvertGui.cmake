# The editor: one static library per folder, each linking only the folders below it.
set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTORCC ON)

set(CYRVERT_QT_LIBS Qt6::Widgets Qt6::PrintSupport ${QSCINTILLA_LIBRARY})

# cyrvert_qt_library(<target> SOURCES <files>... LIBS <deps>...)
function(cyrvert_qt_library target)
  cmake_parse_arguments(L "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${target} STATIC ${L_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_include_directories(${target} SYSTEM PUBLIC ${QSCINTILLA_INCLUDE_DIR})
  target_link_libraries(${target} PUBLIC ${L_LIBS})
  cyrvert_warnings(${target})
endfunction()
