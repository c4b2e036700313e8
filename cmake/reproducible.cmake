# Reproducible Windows binaries: two builds of one source, in any two
# folders, give the same bytes. The PE time stamp is the source's last commit
# time (see link_at_source_date.sh), and no build path reaches a binary.
set(CMAKE_C_LINKER_LAUNCHER sh ${PROJECT_SOURCE_DIR}/cmake/link_at_source_date.sh ${PROJECT_SOURCE_DIR})
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_C_LINKER_LAUNCHER})
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
                    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>")

# The time stamp in a file that changes with the last commit only, so that a
# shipped binary is linked again when a commit moves its time stamp.
set(TARVEX_SOURCE_DATE_FILE ${PROJECT_BINARY_DIR}/source-date-epoch)
add_custom_target(source_date_epoch
  COMMAND ${CMAKE_C_LINKER_LAUNCHER} sh -c "echo $SOURCE_DATE_EPOCH >${TARVEX_SOURCE_DATE_FILE}.new"
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TARVEX_SOURCE_DATE_FILE}.new ${TARVEX_SOURCE_DATE_FILE}
  BYPRODUCTS ${TARVEX_SOURCE_DATE_FILE}
  VERBATIM)

# Links `target` again whenever the source's time stamp moves.
function(tarvex_stamped_binary target)
  add_dependencies(${target} source_date_epoch)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${TARVEX_SOURCE_DATE_FILE})
endfunction()
