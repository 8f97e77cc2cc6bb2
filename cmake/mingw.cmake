# Cross-compiling the plug-in and its Windows programs with MinGW-w64; the
# architecture's toolchain file names KX_MINGW_TRIPLE and includes this one.
set(CMAKE_SYSTEM_NAME Windows)

# The -posix compilers: googletest needs std::mutex, which the win32 thread
# model lacks. The runtime is linked statically, so nothing extra ships.
set(CMAKE_C_COMPILER   ${KX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${KX_MINGW_TRIPLE}-windres)
set(KX_WIDL            ${KX_MINGW_TRIPLE}-widl)

set(CMAKE_FIND_ROOT_PATH /usr/${KX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Tests and build-time tools of the Windows tree run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
