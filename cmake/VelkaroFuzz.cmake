# The fuzzing build (preset "fuzz"): the Qt-free readers compiled with clang's libFuzzer
# instrumentation, AddressSanitizer and UndefinedBehaviorSanitizer, and one harness per reader.
# Nothing else is configured, so the build stays small and needs no Qt.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "The fuzzing build needs clang (cmake --preset fuzz)")
endif()

set(CMAKE_AUTOMOC OFF)
set(CMAKE_AUTOUIC OFF)
set(CMAKE_AUTORCC OFF)
set(VELKARO_FUZZ_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
# Libraries get the coverage instrumentation only; the harnesses link libFuzzer's main.
# Checked containers turn a read past the end (back() on an empty string) into a finding.
add_compile_options(-fsanitize=fuzzer-no-link ${VELKARO_FUZZ_FLAGS} -D_GLIBCXX_ASSERTIONS)
add_link_options(${VELKARO_FUZZ_FLAGS})
include_directories(${CMAKE_SOURCE_DIR})

add_subdirectory(platform)
add_subdirectory(timemodel)
add_subdirectory(settings)
add_subdirectory(tests/fuzz)
