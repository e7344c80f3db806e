# Builds the web page (or the Node.js program the tests run) with Debian's
# emscripten (package emscripten).
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

# emscripten's JavaScript tools load the acorn parser from Debian's own
# module folder, which a Node.js that is not Debian's does not search.
set(CMAKE_CXX_COMPILER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
