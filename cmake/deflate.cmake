# Deflate::deflate for the Windows build, the target the Linux build gets from
# Debian's libdeflate-dev: the library's C files from Debian's source package
# (unpacked into build/deps/ by scripts/install-deps.sh windows), built as a
# static library, as libspng is beside it (cmake/spng.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/deps_source.cmake)
sprite_deps_source(deflate_dir libdeflate libdeflate.h)

enable_language(C)
# What its own Makefile builds: zlib streams, CRC-32, and the x86 feature probe.
add_library(sprite_deflate STATIC
  ${deflate_dir}/lib/deflate_compress.c ${deflate_dir}/lib/deflate_decompress.c
  ${deflate_dir}/lib/zlib_compress.c ${deflate_dir}/lib/zlib_decompress.c
  ${deflate_dir}/lib/adler32.c ${deflate_dir}/lib/crc32.c ${deflate_dir}/lib/utils.c
  ${deflate_dir}/lib/x86/cpu_features.c)
# Not our code: none of the warnings our own code is held to.
set_property(TARGET sprite_deflate PROPERTY COMPILE_OPTIONS -w)
set_property(TARGET sprite_deflate PROPERTY C_STANDARD 99)
target_include_directories(sprite_deflate SYSTEM PUBLIC ${deflate_dir})
add_library(Deflate::deflate ALIAS sprite_deflate)
