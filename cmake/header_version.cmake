# The version has one home, the project's VERSION; the header a host compiles
# against repeats it, since no build variable reaches a host's compiler. A
# header that says another version stops the configure here.
math(EXPR TARVEX_VERSION_NUMBER "${PROJECT_VERSION_MAJOR} * 100 + ${PROJECT_VERSION_MINOR} * 10 + ${PROJECT_VERSION_PATCH}")
if(PROJECT_VERSION_MINOR GREATER 9 OR PROJECT_VERSION_PATCH GREATER 9)
  message(FATAL_ERROR "version ${PROJECT_VERSION}: GetVersionNumber's three digits hold a minor and a patch number under 10 only")
endif()
set(header ${PROJECT_SOURCE_DIR}/include/tarvex_logo.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header})
file(STRINGS ${header} stated REGEX "^#define TARVEX_LOGO_VERSION_(NUMBER|STRING) ")
set(expected "#define TARVEX_LOGO_VERSION_NUMBER ${TARVEX_VERSION_NUMBER}"
             "#define TARVEX_LOGO_VERSION_STRING \"${PROJECT_VERSION}\"")
if(NOT stated STREQUAL expected)
  list(JOIN stated "\n  " stated)
  list(JOIN expected "\n  " expected)
  message(FATAL_ERROR "include/tarvex_logo.h says\n  ${stated}\nbut the project's version "
                      "(project() in CMakeLists.txt) is ${PROJECT_VERSION}, which needs\n  ${expected}")
endif()
