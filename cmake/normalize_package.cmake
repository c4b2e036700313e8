# Run by CPack once it has made the ZIP (CPACK_POST_BUILD_SCRIPTS).
#
# The files inside are the same from build to build; CPack's ZIP around them
# is not: it lists the entries in the order the file system gives them,
# dates each by the packing (access and change times in its extra field, in
# the packager's time zone), and keeps the packager's user and group and the
# umask's directory modes. strip-nondeterminism, made for this, rewrites the
# ZIP with the entries in name order, every time the source's (the caller's
# SOURCE_DATE_EPOCH, else the last commit's), owner 0 and modes 644 or 755,
# and keeps the compressed bytes as they are.
find_program(STRIP_NONDETERMINISM strip-nondeterminism)
if(NOT STRIP_NONDETERMINISM)
  message(FATAL_ERROR "strip-nondeterminism is missing (scripts/install-deps.sh installs it): without it the ZIP "
                      "changes at every packing")
endif()
execute_process(
  COMMAND sh ${CPACK_TARVEX_SOURCE_DIR}/cmake/link_at_source_date.sh ${CPACK_TARVEX_SOURCE_DIR} sh -c "echo $SOURCE_DATE_EPOCH"
  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE)
foreach(package ${CPACK_PACKAGE_FILES})
  execute_process(COMMAND ${STRIP_NONDETERMINISM} --type zip --timestamp ${epoch} ${package}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "strip-nondeterminism could not rewrite ${package}:\n${output}")
  endif()
  message(STATUS "${package}: entries in name order, dated ${epoch}")
endforeach()
