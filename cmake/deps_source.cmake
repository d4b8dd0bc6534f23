# sprite_deps_source(OUT PACKAGE FILE): the folder of FILE in the source of
# PACKAGE that scripts/install-deps.sh windows unpacked from Debian's source
# package into build/deps/, for the Windows build to compile the library itself.
function(sprite_deps_source out package file)
  file(GLOB found ${PROJECT_SOURCE_DIR}/build/deps/${package}-*/${file})
  if(NOT found)
    message(FATAL_ERROR "${package}'s source is missing: run scripts/install-deps.sh windows")
  endif()
  list(GET found 0 first)
  get_filename_component(folder ${first} DIRECTORY)
  set(${out} ${folder} PARENT_SCOPE)
endfunction()
