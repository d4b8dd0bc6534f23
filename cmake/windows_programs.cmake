# The Windows programs: sprite.exe, the window program on the Win32 backend,
# and sprite-cli.exe, the console program. Both carry the program icon, a
# version resource and a manifest (common controls 6, per-monitor DPI
# awareness, long paths), built with windres.

# sprite_windows_resources(TARGET FILE_NAME INTERNAL_NAME DESCRIPTION)
function(sprite_windows_resources target fileName internalName description)
  set(SPRITE_FILE_NAME ${fileName})
  set(SPRITE_INTERNAL_NAME ${internalName})
  set(SPRITE_FILE_DESCRIPTION ${description})
  set(SPRITE_MANIFEST_NAME ${internalName})
  set(dir ${PROJECT_BINARY_DIR}/generated/windows/${target})
  set(SPRITE_MANIFEST_FILE ${dir}/${internalName}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/src/windows/sprite.manifest.in ${SPRITE_MANIFEST_FILE} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/src/windows/sprite.rc.in ${dir}/${internalName}.rc @ONLY)
  target_sources(${target} PRIVATE ${dir}/${internalName}.rc)
  set_property(SOURCE ${dir}/${internalName}.rc APPEND PROPERTY OBJECT_DEPENDS
               ${PROJECT_SOURCE_DIR}/art/program_icon.ico)
  # wmain and wWinMain: the command line in UTF-16.
  target_link_options(${target} PRIVATE -municode)
endfunction()

add_library(sprite_windows_entry STATIC ${PROJECT_SOURCE_DIR}/src/windows/command_line.cpp)
target_link_libraries(sprite_windows_entry PUBLIC sprite_common sprite_pipeline)

add_executable(sprite-cli ${PROJECT_SOURCE_DIR}/src/main_cli_win32.cpp)
target_link_libraries(sprite-cli PRIVATE sprite_cli sprite_windows_entry)
sprite_windows_resources(sprite-cli sprite-cli.exe sprite-cli "${SPRITE_PRODUCT_NAME}")

add_executable(sprite WIN32 ${PROJECT_SOURCE_DIR}/src/main_gui_win32.cpp)
target_link_libraries(sprite PRIVATE sprite_app sprite_winsys_win32 sprite_files_native
                                     sprite_windows_entry)
sprite_windows_resources(sprite sprite.exe sprite "${SPRITE_PRODUCT_NAME}")

install(TARGETS sprite sprite-cli RUNTIME DESTINATION .)
