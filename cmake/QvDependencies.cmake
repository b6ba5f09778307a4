# Finds the system libraries the engine links. Every one of them is a Debian
# package that scripts/setup installs.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

pkg_check_modules(LUA REQUIRED IMPORTED_TARGET lua5.1)
pkg_check_modules(SDL REQUIRED sdl)

# The engine's libraries compile against SDL's headers only; each program
# chooses how SDL itself is linked: qv_sdl_shared (libSDL.so) or qv_sdl_static
# (libSDL.a with the system libraries it needs).
add_library(qv_sdl_headers INTERFACE)
target_include_directories(qv_sdl_headers SYSTEM INTERFACE ${SDL_INCLUDE_DIRS})
target_compile_options(qv_sdl_headers INTERFACE ${SDL_CFLAGS_OTHER})

add_library(qv_sdl_shared INTERFACE)
target_link_libraries(qv_sdl_shared INTERFACE qv_sdl_headers ${SDL_LINK_LIBRARIES})

pkg_check_modules(SDL_STATIC REQUIRED sdl)
find_library(QV_LIBSDL_A NAMES libSDL.a)
add_library(qv_sdl_static INTERFACE)
if(QV_LIBSDL_A)
    set(sdl_static_deps ${SDL_STATIC_STATIC_LIBRARIES})
    list(REMOVE_ITEM sdl_static_deps SDL)
    target_link_libraries(qv_sdl_static INTERFACE qv_sdl_headers ${QV_LIBSDL_A} ${sdl_static_deps})
else()
    target_link_libraries(qv_sdl_static INTERFACE qv_sdl_shared)
endif()

# Image, archive and sound libraries.
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
pkg_check_modules(JPEG REQUIRED IMPORTED_TARGET libjpeg)
pkg_check_modules(ZLIB REQUIRED IMPORTED_TARGET zlib)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
pkg_check_modules(OGG REQUIRED IMPORTED_TARGET ogg)
pkg_check_modules(VORBIS REQUIRED IMPORTED_TARGET vorbis)
pkg_check_modules(VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile)

# Only the archive generator draws and encodes.
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
