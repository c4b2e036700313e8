# The logo bitmaps of every resource library, drawn at build time.
#
# Included from resources/CMakeLists.txt before the resource libraries are
# defined. generate_logo_bitmaps is a host program: the win32 build is a cross
# build, so it is compiled with the build machine's own compiler. It writes the
# .bmp files and logo_bitmaps.rc, which each OxaRes<N>.rc includes, into this
# folder's build folder (on the resource compiler's include path), and
# no_variants/logo_bitmaps.rc, the same without the larger logos.

find_program(TARVEX_HOST_CXX NAMES c++ g++ REQUIRED)

set(logo_generator_source ${CMAKE_CURRENT_LIST_DIR}/generate_logo_bitmaps.cpp)
set(logo_generator ${CMAKE_CURRENT_BINARY_DIR}/generate_logo_bitmaps)
set(logo_bitmaps_rc ${CMAKE_CURRENT_BINARY_DIR}/logo_bitmaps.rc)

set(logo_bitmap_files "")
foreach(logo_suffix TAMIR MEREL ZOLT KIRVANE DRUVA PELTRA "")
  # Each SVGA logo also drawn for displays at 150% and 200%.
  foreach(logo_name VGA_LOGO_${logo_suffix} SVGA_LOGO_${logo_suffix} SVGA_LOGO_${logo_suffix}_150
                    SVGA_LOGO_${logo_suffix}_200)
    list(APPEND logo_bitmap_files ${CMAKE_CURRENT_BINARY_DIR}/${logo_name}.bmp)
  endforeach()
endforeach()

add_custom_command(
  OUTPUT ${logo_generator}
  COMMAND ${TARVEX_HOST_CXX} -std=c++17 -O2 -Wall -Wextra -Werror -o ${logo_generator} ${logo_generator_source}
  DEPENDS ${logo_generator_source}
  COMMENT "Building the logo bitmap generator with the host compiler"
  VERBATIM)

set(logo_bitmaps_base_rc ${CMAKE_CURRENT_BINARY_DIR}/no_variants/logo_bitmaps.rc)
add_custom_command(
  OUTPUT ${logo_bitmaps_rc} ${logo_bitmaps_base_rc} ${logo_bitmap_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/no_variants
  COMMAND ${logo_generator} ${CMAKE_CURRENT_BINARY_DIR} ${logo_bitmaps_base_rc}
  DEPENDS ${logo_generator}
  COMMENT "Drawing the logo bitmaps"
  VERBATIM)

add_custom_target(logo_bitmaps DEPENDS ${logo_bitmaps_rc} ${logo_bitmaps_base_rc} ${logo_bitmap_files})
set(TARVEX_LOGO_BITMAP_FILES ${logo_bitmaps_rc} ${logo_bitmaps_base_rc} ${logo_bitmap_files} CACHE INTERNAL "")
