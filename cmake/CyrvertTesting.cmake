# One registration function for every test executable.
#   cyrvert_add_test(NAME name SOURCES ... LIBS ... [QTEST])
# QTEST: a Qt Test program (else GoogleTest), run on the offscreen platform with a low Qt Test
# timeout and no leak check (Qt's platform plugins keep allocations alive until process exit).
find_package(GTest REQUIRED)
include(GoogleTest)

function(cyrvert_add_test)
  cmake_parse_arguments(T "QTEST" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  cyrvert_warnings(${T_NAME})
  target_compile_definitions(${T_NAME} PRIVATE
    CYRVERT_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS})
  if(T_QTEST)
    target_link_libraries(${T_NAME} PRIVATE Qt6::Test)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  else()
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest GTest::gtest_main)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  endif()
  if(T_QTEST)
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT
      "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=120000;ASAN_OPTIONS=detect_leaks=0")
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 600)
endfunction()
