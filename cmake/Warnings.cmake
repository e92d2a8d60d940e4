# As strict as the multimedia library's own build: conversions that lose
# range or sign, C casts and silent float-to-double promotion are all
# reported. ADVENTURE_WERROR (CI) makes each one fail the build.
function(adventure_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
                                           -Wold-style-cast -Wdouble-promotion -Wnon-virtual-dtor -Wcast-align
                                           -Woverloaded-virtual)
  if(ADVENTURE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
