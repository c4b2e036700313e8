# What differs between the 32-bit and the 64-bit Windows build.

# TARVEX_ARCH names the build in the install layout and the package: x86 or x64.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TARVEX_ARCH x64)
else()
  set(TARVEX_ARCH x86)
endif()

# The linker's name of a WINAPI function taking `argumentBytes` bytes of
# arguments, as an entry point is named: decorated on x86 (_Name@12), plain
# on x64, where there is one calling convention.
function(tarvex_winapi_symbol out name argumentBytes)
  if(TARVEX_ARCH STREQUAL x86)
    set(${out} _${name}@${argumentBytes} PARENT_SCOPE)
  else()
    set(${out} ${name} PARENT_SCOPE)
  endif()
endfunction()
