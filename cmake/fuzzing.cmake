# QUORVANE_FUZZ: instrument the core for libFuzzer and build fuzz/'s fuzz target. Only clang has
# libFuzzer; elsewhere the option is reported and turned off, and the corpus is still replayed by
# the plain driver that every build with tests has.
option(QUORVANE_FUZZ "Build the libFuzzer target (needs clang with libFuzzer)" OFF)

if(QUORVANE_FUZZ)
  include(CheckCXXSourceCompiles)
  set(CMAKE_REQUIRED_FLAGS -fsanitize=fuzzer)
  set(CMAKE_REQUIRED_LINK_OPTIONS -fsanitize=fuzzer)
  check_cxx_source_compiles(
    "#include <cstddef>
     #include <cstdint>
     extern \"C\" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }"
    QUORVANE_HAVE_LIBFUZZER)
  unset(CMAKE_REQUIRED_FLAGS)
  unset(CMAKE_REQUIRED_LINK_OPTIONS)

  if(QUORVANE_HAVE_LIBFUZZER)
    # Coverage for the fuzzer and the sanitizers for everything, the core included.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
  else()
    message(WARNING "QUORVANE_FUZZ: ${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION} has no "
                    "libFuzzer (clang with libclang-rt-dev has); the fuzz target is not built")
    set(QUORVANE_FUZZ OFF)
  endif()
endif()
