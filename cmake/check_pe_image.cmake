# Reads TarvexLogo.dll's headers, imports and exports with objdump, running
# nothing, so the check holds for a build this machine cannot run.
#   cmake -DDLL=... -DOBJDUMP=... -DARCH=x86|x64 -P check_pe_image.cmake
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()
set(problems "")
macro(expect regex what)
  if(NOT dump MATCHES "${regex}")
    string(APPEND problems "\n  ${what}")
  endif()
endmacro()

# The headers of the build's bitness: PE32 for i386, PE32+ for x86-64.
if(ARCH STREQUAL x86)
  expect("file format pei-i386" "machine i386")
  expect("Magic[\t ]+010b" "optional header PE32")
else()
  expect("file format pei-x86-64" "machine x86-64")
  expect("Magic[\t ]+020b" "optional header PE32+")
endif()

# Imports from the system alone.
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(import IN LISTS imports)
  string(REPLACE "DLL Name: " "" name "${import}")
  string(TOUPPER "${name}" name)
  if(NOT name MATCHES "^(KERNEL32|USER32|GDI32|ADVAPI32|MSVCRT)\\.DLL$")
    string(APPEND problems "\n  imports from ${name}")
  endif()
endforeach()

# Exports: seven ordinals, three of them by name, the ordinals between unused.
string(REGEX MATCHALL "\\+base\\[ *[0-9]+\\]" ordinals "${dump}")
string(REGEX REPLACE "\\+base\\[ *([0-9]+)\\]" "\\1" ordinals "${ordinals}")
if(NOT ordinals STREQUAL "1;2;6;8;12;13;14")
  string(APPEND problems "\n  exported ordinals ${ordinals}, not 1;2;6;8;12;13;14")
endif()
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n(\t\\[ *[0-9]+\\] [^\n]+\n)*" names "${dump}")
string(REGEX MATCHALL "\t\\[ *[0-9]+\\] [A-Za-z_]+" names "${names}")
string(REGEX REPLACE "\t\\[ *[0-9]+\\] " "" names "${names}")
if(NOT names STREQUAL "BeforeInitHelmex;GetVersionNumber;LogoSetStatusText")
  string(APPEND problems "\n  exported names ${names}")
endif()

if(problems)
  message(FATAL_ERROR "${DLL}:${problems}")
endif()
