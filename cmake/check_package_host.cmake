# Installs a Windows build into a scratch prefix, builds tests/package_host
# against it with find_package(TarvexLogo) (the package named by
# TarvexLogo_DIR, as a cross toolchain confines the search to its own root),
# runs it under Wine and checks that it reports the mode and edition. Run by
# ctest (inside a Wine session) with -DBUILD, -DSOURCE, -DTOOLCHAIN and
# -DEMULATOR.
set(work ${BUILD}/package-check)
file(REMOVE_RECURSE ${work})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${work}/prefix RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE}/tests/package_host -B ${work}/host -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}
          -DTarvexLogo_DIR=${work}/prefix/lib/cmake/TarvexLogo -DCMAKE_BUILD_TYPE=Release
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the host project does not configure against the package:\n${output}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${work}/host RESULT_VARIABLE result OUTPUT_VARIABLE output
                ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the host project does not build against the package:\n${output}")
endif()
execute_process(COMMAND ${EMULATOR} ${work}/host/package-host.exe /nologo RESULT_VARIABLE result
                OUTPUT_VARIABLE output ERROR_VARIABLE errors)
string(REPLACE "\r" "" output "${output}")
if(NOT result EQUAL 0 OR NOT output MATCHES "^mode 0, edition 1[45]\n$")
  message(FATAL_ERROR "the package's host printed \"${output}\" (exit ${result}):\n${errors}")
endif()
message(STATUS "find_package(TarvexLogo) gives a host that runs: ${output}")
