# Spng::spng for the Windows build, the target the Linux build gets from
# Debian's libspng-dev: libspng's one C file from Debian's source package
# (unpacked into build/deps/ by scripts/install-deps.sh windows), built as a
# static library over Debian's zlib for mingw-w64 (libz-mingw-w64-dev).
# Nothing comes from outside Debian's package registry, and the programs stay
# free of DLLs of their own.
include(${CMAKE_CURRENT_LIST_DIR}/deps_source.cmake)
sprite_deps_source(spng_dir libspng spng/spng.c)
set(spng_source ${spng_dir}/spng.c)

enable_language(C)
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
add_library(sprite_spng STATIC ${spng_source})
# Not our code: none of the warnings our own code is held to.
set_property(TARGET sprite_spng PROPERTY COMPILE_OPTIONS -w)
target_compile_definitions(sprite_spng PUBLIC SPNG_STATIC)
target_include_directories(sprite_spng SYSTEM PUBLIC ${spng_dir})
target_link_libraries(sprite_spng PUBLIC ZLIB::ZLIB)
add_library(Spng::spng ALIAS sprite_spng)
