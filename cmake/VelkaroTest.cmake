# velkaro_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2)
# One gtest program per unit; widget tests run on the offscreen platform and every test
# gets its own temporary settings folder from the fixture, never the user's.
find_package(GTest REQUIRED)
include(GoogleTest)

function(velkaro_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    VELKARO_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    VELKARO_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()
