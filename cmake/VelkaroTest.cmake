# velkaro_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2)
# One gtest program per unit; widget tests run on the offscreen platform and every test
# gets its own temporary settings folder from the fixture, never the user's.
if(CMAKE_CROSSCOMPILING)
  # Built from Debian's GoogleTest sources with the cross compiler; nothing is downloaded.
  set(VELKARO_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  # Not our code: built without our warning flags.
  get_directory_property(velkaro_options COMPILE_OPTIONS)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
  add_subdirectory(${VELKARO_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "${velkaro_options}")
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

function(velkaro_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} velkaro_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    VELKARO_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    VELKARO_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  if(CMAKE_CROSSCOMPILING)
    # One run per program: every start under the emulator costs, and listing the cases first
    # would double that.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  else()
    gtest_discover_tests(${name}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  endif()
endfunction()
