# The Tarvex 4.0 start-up library for a host application built with CMake:
#
#   find_package(TarvexLogo CONFIG REQUIRED)
#   target_link_libraries(host PRIVATE TarvexLogo::TarvexLogo)
#
# TarvexLogo::TarvexLogo is the library of the host's bitness: bin/x86 and
# lib/x86 for a 32-bit host, bin/x64 and lib/x64 for a 64-bit one, with the
# import library of the host's linker (libTarvexLogo.dll.a for mingw-w64,
# TarvexLogo.lib for Visual Studio's). Its IMPORTED_LOCATION is the DLL to
# ship beside the host; the resource libraries OxaRes<N>.dll lie in the same
# folder and belong beside the host executable too.
get_filename_component(_tarvex_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_tarvex_arch x64)
else()
  set(_tarvex_arch x86)
endif()
if(MSVC)
  set(_tarvex_implib "${_tarvex_prefix}/lib/${_tarvex_arch}/TarvexLogo.lib")
else()
  set(_tarvex_implib "${_tarvex_prefix}/lib/${_tarvex_arch}/libTarvexLogo.dll.a")
endif()
set(_tarvex_dll "${_tarvex_prefix}/bin/${_tarvex_arch}/TarvexLogo.dll")

if(NOT EXISTS "${_tarvex_implib}" OR NOT EXISTS "${_tarvex_dll}")
  set(TarvexLogo_FOUND FALSE)
  set(TarvexLogo_NOT_FOUND_MESSAGE
      "this installation has no ${_tarvex_arch} build of TarvexLogo (${_tarvex_implib}); install the build of the host's bitness")
  return()
endif()

if(NOT TARGET TarvexLogo::TarvexLogo)
  add_library(TarvexLogo::TarvexLogo SHARED IMPORTED)
  set_target_properties(TarvexLogo::TarvexLogo PROPERTIES
    IMPORTED_LOCATION "${_tarvex_dll}"
    IMPORTED_IMPLIB "${_tarvex_implib}"
    INTERFACE_INCLUDE_DIRECTORIES "${_tarvex_prefix}/include")
endif()
unset(_tarvex_prefix)
unset(_tarvex_arch)
unset(_tarvex_implib)
unset(_tarvex_dll)
