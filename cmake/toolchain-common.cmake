# Shared part of the two cross toolchains; QUILLON_TRIPLET names the target.
set(CMAKE_C_COMPILER ${QUILLON_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLON_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLON_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QUILLON_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Static runtime: the programs run on a bare Windows with no MinGW DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
