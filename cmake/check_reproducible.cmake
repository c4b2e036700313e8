# Builds the shipped libraries of a Windows build a second time, from scratch,
# in another folder, and checks that they come out byte for byte the same:
# TarvexLogo.dll, the resource libraries and both import libraries. Run by
# ctest with -DBUILD, -DSOURCE, -DTOOLCHAIN and -DBUILD_TYPE.
set(second ${BUILD}/reproducibility-check)
file(REMOVE_RECURSE ${second})
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${second} -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}
          -DCMAKE_BUILD_TYPE=${BUILD_TYPE} -DTARVEX_BUILD_TESTS=OFF -DTARVEX_BUILD_BENCH=OFF
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the second build does not configure:\n${output}")
endif()
set(files bin/TarvexLogo.dll bin/OxaRes0.dll bin/OxaRes1.dll bin/OxaRes2.dll lib/libTarvexLogo.dll.a lib/TarvexLogo.lib)
execute_process(
  COMMAND ${CMAKE_COMMAND} --build ${second} -j 2 --target TarvexLogo msvc_import_library resource_libraries
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the second build fails:\n${output}")
endif()
set(different "")
foreach(file ${files})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${BUILD}/${file} ${second}/${file} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    list(APPEND different ${file})
  endif()
endforeach()
if(different)
  message(FATAL_ERROR "built twice from one source, these differ: ${different}")
endif()
file(REMOVE_RECURSE ${second})
message(STATUS "built twice in two folders, byte for byte the same: ${files}")
