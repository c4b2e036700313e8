# Run by CPack once it has staged the files of a package and before it packs
# them (CPACK_PRE_BUILD_SCRIPTS).
#
# Signing: with TARVEX_SIGN_PKCS12 (a PKCS#12 file) and TARVEX_SIGN_PASSWORD
# in the environment, every .dll and .exe is signed with Authenticode by
# osslsigncode, time-stamped when TARVEX_SIGN_TIMESTAMP_URL names a server.
# The password travels on a pipe, never on a command line (read as
# /dev/stdin: the osslsigncode of Debian 12 takes no "-" for it).
#
# Dates: every staged file gets the source's time stamp, so the ZIP dates its
# files by the source, not by the build. (The ZIP also keeps each file's
# inode change time, which no build can set: the files inside are the same
# bytes from build to build, the ZIP around them is not.)
file(GLOB_RECURSE staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
if(DEFINED ENV{TARVEX_SIGN_PKCS12})
  find_program(OSSLSIGNCODE osslsigncode REQUIRED)
  set(timestamp "")
  if(DEFINED ENV{TARVEX_SIGN_TIMESTAMP_URL})
    set(timestamp "-t \"$TARVEX_SIGN_TIMESTAMP_URL\"")
  endif()
  foreach(file ${staged})
    if(NOT file MATCHES "\\.(dll|exe)$")
      continue()
    endif()
    execute_process(
      COMMAND sh -c "printf %s \"$TARVEX_SIGN_PASSWORD\" | \"$0\" sign -pkcs12 \"$TARVEX_SIGN_PKCS12\" -readpass /dev/stdin -h sha256 -n 'Tarvex 4.0' ${timestamp} -in \"$1\" -out \"$1.signed\""
              ${OSSLSIGNCODE} ${file}
      RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "signing ${file} failed:\n${output}")
    endif()
    file(RENAME ${file}.signed ${file})
    message(STATUS "signed ${file}")
  endforeach()
endif()
execute_process(
  COMMAND sh ${CPACK_TARVEX_SOURCE_DIR}/cmake/link_at_source_date.sh ${CPACK_TARVEX_SOURCE_DIR} sh -c "echo $SOURCE_DATE_EPOCH"
  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE)
if(staged)
  execute_process(COMMAND touch -h -d @${epoch} ${staged} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "the staged files did not take the source's time stamp")
  endif()
endif()
