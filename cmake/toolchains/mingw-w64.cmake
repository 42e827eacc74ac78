# Shared by the MinGW-w64 toolchain files, which set ZIF_MINGW_TRIPLET and
# CMAKE_SYSTEM_PROCESSOR first. The posix thread model gives std::thread, std::call_once and
# thread-safe function-local statics. Its libwinpthread imports GetTickCount64, which Windows
# XP lacks: win32/kernel32_imports.cpp serves that import in the program.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ZIF_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZIF_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZIF_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZIF_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained executable: libstdc++, libgcc and winpthread are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
