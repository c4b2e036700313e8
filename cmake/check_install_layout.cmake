# Installs a Windows build into a scratch folder as the README shows and
# checks the layout a host developer gets: bin/<arch>/, include/ and
# lib/<arch>/. Run by ctest with -DBUILD, -DPREFIX and -DARCH (x86 or x64).
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
foreach(file bin/${ARCH}/TarvexLogo.dll bin/${ARCH}/OxaRes0.dll bin/${ARCH}/OxaRes1.dll bin/${ARCH}/OxaRes2.dll
             bin/${ARCH}/startup-probe.exe include/tarvex_logo.h lib/${ARCH}/libTarvexLogo.dll.a)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "the installed layout lacks ${file}")
  endif()
endforeach()
message(STATUS "cmake --install lays out bin/${ARCH}/, include/ and lib/${ARCH}/")
