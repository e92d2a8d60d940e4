if(ADVENTURE_SANITIZE)
  set(ADVENTURE_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_compile_options(${ADVENTURE_SANITIZER_FLAGS})
  add_link_options(${ADVENTURE_SANITIZER_FLAGS})
endif()

# Data races between the start-up prefetch, the audio library's threads, the
# error-stream router and the main thread.
option(ADVENTURE_TSAN "Build with ThreadSanitizer" OFF)
if(ADVENTURE_TSAN)
  set(ADVENTURE_TSAN_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
  add_compile_options(${ADVENTURE_TSAN_FLAGS})
  add_link_options(${ADVENTURE_TSAN_FLAGS})
endif()

# The fuzz build instruments everything it compiles, so its targets link the
# same libraries the engine does.
if(ADVENTURE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ADVENTURE_FUZZ needs clang: configure with CC=clang CXX=clang++")
  endif()
  set(ADVENTURE_FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                           -fno-omit-frame-pointer -g)
  add_compile_options(${ADVENTURE_FUZZ_FLAGS})
  add_link_options(-fsanitize=address,undefined)
endif()
