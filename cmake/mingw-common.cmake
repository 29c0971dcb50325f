# Shared part of the MinGW-w64 toolchain files. The -posix compilers are used
# because GoogleTest needs std::mutex; the setup executable uses no threads.
set(CMAKE_C_COMPILER ${QLX_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QLX_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QLX_TRIPLE}-windres)
set(QLX_OBJDUMP ${QLX_TRIPLE}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${QLX_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
