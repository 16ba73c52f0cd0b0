# Second compiler: Debian's clang for the same Windows x64 mingw-w64 target, with
# mingw-w64's headers and the POSIX-thread libstdc++ that the gcc build uses.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAVRIK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${TAVRIK_MINGW_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${TAVRIK_MINGW_PREFIX})
set(CMAKE_RC_COMPILER ${TAVRIK_MINGW_PREFIX}-windres)
set(CMAKE_SYSROOT /usr/${TAVRIK_MINGW_PREFIX})

# clang does not find Debian's "12-posix" gcc folder by itself.
file(GLOB TAVRIK_MINGW_GCC_DIRS /usr/lib/gcc/${TAVRIK_MINGW_PREFIX}/*-posix)
list(GET TAVRIK_MINGW_GCC_DIRS -1 TAVRIK_MINGW_GCC_DIR)
set(TAVRIK_LIBSTDCXX ${TAVRIK_MINGW_GCC_DIR}/include/c++)
set(CMAKE_CXX_FLAGS_INIT "-stdlib++-isystem ${TAVRIK_LIBSTDCXX} -stdlib++-isystem \
${TAVRIK_LIBSTDCXX}/${TAVRIK_MINGW_PREFIX} -stdlib++-isystem ${TAVRIK_LIBSTDCXX}/backward")
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-fuse-ld=lld -pthread -L${TAVRIK_MINGW_GCC_DIR}")
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/${TAVRIK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
