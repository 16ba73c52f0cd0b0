# The product's version, from project(): tavrik_version.h for C++ and the resource
# scripts, and the variables the setup program is made with.
#   TAVRIK_VERSION        "1.33"
#   TAVRIK_VERSION_QUAD   "1.33.0.0", the four numbers of a version resource
foreach(part MAJOR MINOR PATCH TWEAK)
  set(TAVRIK_VERSION_${part} "${PROJECT_VERSION_${part}}")
  if(TAVRIK_VERSION_${part} STREQUAL "")
    set(TAVRIK_VERSION_${part} 0)
  endif()
endforeach()
set(TAVRIK_VERSION "${PROJECT_VERSION}")
set(TAVRIK_VERSION_QUAD
    "${TAVRIK_VERSION_MAJOR}.${TAVRIK_VERSION_MINOR}.${TAVRIK_VERSION_PATCH}.${TAVRIK_VERSION_TWEAK}")

configure_file(${CMAKE_CURRENT_LIST_DIR}/tavrik_version.h.in ${CMAKE_BINARY_DIR}/generated/tavrik_version.h @ONLY)
add_library(tavrik_version INTERFACE)
target_include_directories(tavrik_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
