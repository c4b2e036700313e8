# Reads an import library for Visual Studio's linker back and checks its
# seven imports: the four ordinal-only exports by ordinal (1, 2, 6, 8), the
# other three by name (BeforeInitHelmex, GetVersionNumber, LogoSetStatusText). Run by ctest with -DLIB
# (the .lib), -DARCH (x86 or x64) and -DREADOBJ (llvm-readobj, whose account
# of each import's name type must agree).
#
# The file is an archive of short import objects: a 20-byte header (signature
# 0000 FFFF, version, machine, time stamp, size of data, ordinal or hint,
# type) followed by the symbol's name and the DLL's name.
file(READ ${LIB} hex HEX)
string(LENGTH "${hex}" length)
if(NOT hex MATCHES "^213c617263683e0a")  # "!<arch>\n"
  message(FATAL_ERROR "${LIB} is no archive")
endif()
if(ARCH STREQUAL x64)
  set(machine 6486)  # IMAGE_FILE_MACHINE_AMD64, little-endian
  set(prefix "")
else()
  set(machine 4c01)  # IMAGE_FILE_MACHINE_I386
  set(prefix "_")    # the C names of a 32-bit linker
endif()

# Little-endian 16-bit number at hex offset `at`.
function(read16 out at)
  string(SUBSTRING "${hex}" ${at} 4 bytes)
  string(SUBSTRING "${bytes}" 0 2 low)
  string(SUBSTRING "${bytes}" 2 2 high)
  math(EXPR value "0x${high}${low}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

set(found "")
set(at 16)  # past the magic, in hex digits
while(at LESS length)
  # Member header: 60 bytes, the size as decimal text at byte 48 (10 bytes).
  math(EXPR sizeAt "${at} + 96")
  string(SUBSTRING "${hex}" ${sizeAt} 20 sizeHex)
  string(REGEX REPLACE "(..)" "\\1;" sizeBytes "${sizeHex}")
  set(size "")
  foreach(byte ${sizeBytes})
    if(byte MATCHES "^3[0-9]$")
      string(SUBSTRING "${byte}" 1 1 digit)
      string(APPEND size "${digit}")
    endif()
  endforeach()
  math(EXPR body "${at} + 120")
  string(SUBSTRING "${hex}" ${body} 8 signature)
  if(signature STREQUAL "0000ffff")
    math(EXPR machineAt "${body} + 12")
    string(SUBSTRING "${hex}" ${machineAt} 4 memberMachine)
    if(NOT memberMachine STREQUAL machine)
      message(FATAL_ERROR "an import for machine ${memberMachine}, not ${machine}")
    endif()
    math(EXPR ordinalAt "${body} + 32")
    read16(ordinal ${ordinalAt})
    math(EXPR typeAt "${body} + 36")
    read16(type ${typeAt})
    math(EXPR nameType "(${type} >> 2) & 7")  # 0: by ordinal
    # The symbol's name, up to its terminating zero.
    math(EXPR nameAt "${body} + 40")
    string(SUBSTRING "${hex}" ${nameAt} 128 nameHex)
    string(REGEX MATCHALL ".." nameBytes "${nameHex}")
    set(name "")
    foreach(byte ${nameBytes})
      if(byte STREQUAL "00")
        break()
      endif()
      math(EXPR code "0x${byte}")
      string(ASCII ${code} character)
      string(APPEND name "${character}")
    endforeach()
    if(nameType EQUAL 0)
      list(APPEND found "${name}@${ordinal}")
    else()
      list(APPEND found "${name}:name")
    endif()
  endif()
  math(EXPR at "${body} + 2 * ${size} + (${size} % 2) * 2")
endwhile()

set(expected ${prefix}LogoGetMode@1 ${prefix}LogoGetEdition@2 ${prefix}LogoClose@6 ${prefix}LogoSetExitCommand@8
    ${prefix}BeforeInitHelmex:name ${prefix}GetVersionNumber:name ${prefix}LogoSetStatusText:name)
list(SORT found)
list(SORT expected)
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "${LIB} imports ${found}, not ${expected}")
endif()
# llvm-readobj's own reading: "Name type: ordinal" for exactly those four.
execute_process(COMMAND ${READOBJ} ${LIB} OUTPUT_VARIABLE readobj RESULT_VARIABLE result)
string(REGEX MATCHALL "Name type: ordinal\nSymbol: [^\n]*\nSymbol: [^\n]*" byOrdinal "${readobj}")
list(LENGTH byOrdinal count)
if(NOT result EQUAL 0 OR NOT count EQUAL 4)
  message(FATAL_ERROR "llvm-readobj finds ${count} imports by ordinal in ${LIB}:\n${readobj}")
endif()
message(STATUS "${LIB}: ${found}")
