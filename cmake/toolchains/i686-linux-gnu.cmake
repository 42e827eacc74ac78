# 32-bit x86 Linux with the host's multilib g++ (g++-multilib), libraries from Debian's i386
# packages: the conversion's 32-bit arithmetic tested and timed natively, next to the i386 GMP.
# The code generation of the 32-bit Windows compiler: no SSE, pentiumpro, tuned generic.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_FLAGS_INIT "-m32 -march=pentiumpro -mtune=generic")
set(CMAKE_CXX_FLAGS_INIT "-m32 -march=pentiumpro -mtune=generic")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
