# Run by CPack once it has staged the files of a package and before it packs
# them (CPACK_PRE_BUILD_SCRIPTS).
#
# Signing: with TARVEX_SIGN_PKCS12 (a PKCS#12 file) and TARVEX_SIGN_PASSWORD
# in the environment, every .dll and .exe is signed with Authenticode by
# osslsigncode, time-stamped when TARVEX_SIGN_TIMESTAMP_URL names a server.
# The password travels on a pipe, never on a command line (read as
# /dev/stdin: the osslsigncode of Debian 12 takes no "-" for it).
file(GLOB_RECURSE staged "${CPACK_TEMPORARY_DIRECTORY}/*")
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
