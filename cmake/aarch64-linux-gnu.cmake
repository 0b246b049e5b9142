# Cross build for aarch64 with Debian's cross compiler and the arm64 multiarch packages
# (scripts/test-arch aarch64). Programs built here run under qemu-user: the tests through ctest,
# the generators not at all (KORVO_HOST_TOOLS_DIR takes their output from a native build).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# Libraries and package files of the arm64 packages, beside the build machine's own.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
# The loader of the arm64 C library package (under /), not that of the cross compiler's copy
# (/usr/aarch64-linux-gnu), which is a different release: mixed, programs hang in the loader.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /)
