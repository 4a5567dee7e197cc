# libFuzzer harnesses for the parsers of outside input (tests/fuzz/). Only
# with -DBRIMVALE_FUZZ=ON and a compiler that knows -fsanitize=fuzzer (clang);
# otherwise nothing here changes the build.
option(BRIMVALE_FUZZ "Build the libFuzzer harnesses (needs clang)" OFF)
if(NOT BRIMVALE_FUZZ)
  return()
endif()

include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS "-fsanitize=fuzzer")
set(CMAKE_REQUIRED_LINK_OPTIONS "-fsanitize=fuzzer")
check_cxx_source_compiles([=[
#include <cstddef>
#include <cstdint>
extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }
]=] BRIMVALE_FUZZ_DESTEKLI)
unset(CMAKE_REQUIRED_FLAGS)
unset(CMAKE_REQUIRED_LINK_OPTIONS)
if(NOT BRIMVALE_FUZZ_DESTEKLI)
  message(WARNING "BRIMVALE_FUZZ: ${CMAKE_CXX_COMPILER_ID} does not support -fsanitize=fuzzer; "
                  "configure with -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang. No harnesses built.")
  return()
endif()

# The engine is instrumented for coverage and checked by ASan and UBSan; every
# undefined behaviour stops the run like a crash.
set(BRIMVALE_DENETIM -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
foreach(hedef brimvale_motor brimvale_araclar)
  target_compile_options(${hedef} PRIVATE -fsanitize=fuzzer-no-link ${BRIMVALE_DENETIM})
  target_link_options(${hedef} INTERFACE -fsanitize=address,undefined)
endforeach()

add_subdirectory(${CMAKE_SOURCE_DIR}/tests/fuzz ${CMAKE_BINARY_DIR}/tests/fuzz)
