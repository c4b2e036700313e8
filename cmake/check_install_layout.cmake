# Installs a Windows build into a scratch folder as the README shows and
# checks the layout a host developer gets: bin/<arch>/, include/ and
# lib/<arch>/, with what an administrator needs beside them: deploy/*.reg
# and README.txt. Run by ctest with -DBUILD, -DPREFIX and -DARCH (x86 or x64).
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
foreach(file bin/${ARCH}/TarvexLogo.dll bin/${ARCH}/OxaRes0.dll bin/${ARCH}/OxaRes1.dll bin/${ARCH}/OxaRes2.dll
             bin/${ARCH}/startup-probe.exe include/tarvex_logo.h lib/${ARCH}/libTarvexLogo.dll.a README.txt
             deploy/disable-forms-on.reg deploy/disable-forms-off.reg deploy/new-user-defaults.reg)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "the installed layout lacks ${file}")
  endif()
endforeach()
# The templates are saved without a byte-order mark, as the README says: an
# editor that adds one puts it before the format's line.
file(GLOB templates ${PREFIX}/deploy/*.reg)
foreach(template ${templates})
  file(READ ${template} start LIMIT 64)
  string(SUBSTRING "${start}" 0 36 start)
  if(NOT start STREQUAL "Windows Registry Editor Version 5.00")
    message(FATAL_ERROR "${template} does not begin with its format's line (a byte-order mark?)")
  endif()
endforeach()
message(STATUS "cmake --install lays out bin/${ARCH}/, include/, lib/${ARCH}/, deploy/ and README.txt")
