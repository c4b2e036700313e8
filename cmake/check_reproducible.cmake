# Builds a Windows build a second time, from scratch, in another folder, and
# checks that what ships comes out byte for byte the same: TarvexLogo.dll,
# the resource libraries, both import libraries, and the ZIP that cpack makes
# of each build. Run by ctest with -DBUILD, -DSOURCE, -DTOOLCHAIN,
# -DBUILD_TYPE and -DCPACK.
set(second ${BUILD}/reproducibility-check)
file(REMOVE_RECURSE ${second})
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${second} -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}
          -DCMAKE_BUILD_TYPE=${BUILD_TYPE} -DTARVEX_BUILD_TESTS=OFF -DTARVEX_BUILD_BENCH=OFF
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the second build does not configure:\n${output}")
endif()
# Everything the ZIP holds, the probe included.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${second} -j 2
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the second build fails:\n${output}")
endif()
set(different "")
foreach(file bin/TarvexLogo.dll bin/OxaRes0.dll bin/OxaRes1.dll bin/OxaRes2.dll lib/libTarvexLogo.dll.a
             lib/TarvexLogo.lib)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${BUILD}/${file} ${second}/${file} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    list(APPEND different ${file})
  endif()
endforeach()
# Both builds packed: the same ZIP name, and the same bytes.
set(zips "")
foreach(name first second)
  set(tree ${BUILD})
  if(name STREQUAL second)
    set(tree ${second})
  endif()
  execute_process(COMMAND ${CPACK} -B ${second}/zip-${name} WORKING_DIRECTORY ${tree}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  file(GLOB zip ${second}/zip-${name}/*.zip)
  if(NOT result EQUAL 0 OR NOT zip)
    message(FATAL_ERROR "cpack fails in ${tree}:\n${output}")
  endif()
  list(APPEND zips ${zip})
endforeach()
list(GET zips 0 first)
list(GET zips 1 other)
get_filename_component(name ${first} NAME)
if(NOT other STREQUAL ${second}/zip-second/${name})
  list(APPEND different "the ZIP's name")
else()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${first} ${other} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    list(APPEND different ${name})
  endif()
endif()
if(different)
  message(FATAL_ERROR "built twice from one source, these differ: ${different}")
endif()
file(REMOVE_RECURSE ${second})
message(STATUS "built and packed twice in two folders, byte for byte the same: the libraries, the import "
               "libraries and ${name}")
