# Installs the win32 build into a scratch folder as the README shows and checks
# the layout a host developer gets: bin/, include/ and lib/.
# Run by ctest with -DBUILD and -DPREFIX.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
foreach(file bin/TarvexLogo.dll bin/OxaRes0.dll bin/OxaRes1.dll bin/OxaRes2.dll bin/startup-probe.exe
             include/tarvex_logo.h lib/libTarvexLogo.dll.a)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "the installed layout lacks ${file}")
  endif()
endforeach()
message(STATUS "cmake --install lays out bin/, include/ and lib/")
