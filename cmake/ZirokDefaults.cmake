# Warnings and sanitizers for the project's own targets only; third-party code
# (GoogleTest, Google Benchmark) is built by Debian and not held to -Werror.
if(ZIROK_SANITIZE)
  set(ZIROK_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${ZIROK_SANITIZER_FLAGS})
  add_link_options(-fsanitize=address,undefined)
  # The sanitizer runtime's dlopen ignores RUNPATH; the older RPATH still holds.
  add_link_options(LINKER:--disable-new-dtags)
endif()

function(zirok_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror
    # GCC 12 at -O3 reports std::string concatenations as overlapping copies.
    $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# A GoogleTest program registered with CTest, one CTest entry per test case.
include(GoogleTest)
function(zirok_test name)
  add_executable(${name} ${ARGN})
  zirok_defaults(${name})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 120)
endfunction()
