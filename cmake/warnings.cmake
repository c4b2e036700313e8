# Product code: warnings are errors, no exceptions and no RTTI. -Wconversion
# and -Wsign-conversion catch a pointer-sized value (LRESULT, INT_PTR, WPARAM,
# SIZE_T) narrowed into an int or a DWORD, which the 64-bit build would cut;
# a cast of a pointer to a smaller integer is an error in C++ already.
function(tarvex_product_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wconversion -Wsign-conversion -Werror -fno-exceptions
    -fno-rtti)
endfunction()

# Test code may use exceptions (GoogleTest does), but keeps the warnings. It
# has no RTTI either, so tests can derive from the product's classes.
function(tarvex_test_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -fno-rtti)
  # Every test file includes GoogleTest: parsed once per program, not per file.
  target_precompile_headers(${target} PRIVATE <gtest/gtest.h>)
  if(WIN32)
    # Test executables run under Wine without the mingw runtime DLLs beside them.
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
    # What ships is built for size; the tests' own code is built fast.
    target_compile_options(${target} PRIVATE -O0)
  endif()
endfunction()
