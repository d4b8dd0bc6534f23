# The Windows distributables, made by the target windows-package (make windows):
#   sprite-encoder-decoder-VERSION-win64.zip  both programs, the licence, a README
#   sprite-encoder-decoder-VERSION-win64-setup.exe  the same, installed by NSIS
# The programs are stripped copies; the licence and the README get Windows
# line ends, so that every editor shows them right.
set(SPRITE_DIST_NAME sprite-encoder-decoder-${PROJECT_VERSION}-win64)
set(SPRITE_DIST_DIR ${PROJECT_BINARY_DIR}/dist/${SPRITE_DIST_NAME})
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_BINARY_DIR}/dist/LICENSE.txt
               NEWLINE_STYLE WIN32)
configure_file(${CMAKE_CURRENT_LIST_DIR}/README-windows.txt.in
               ${PROJECT_BINARY_DIR}/dist/README.txt @ONLY NEWLINE_STYLE WIN32)

find_program(SPRITE_MAKENSIS makensis)
set(zip ${PROJECT_BINARY_DIR}/${SPRITE_DIST_NAME}.zip)
set(setup ${PROJECT_BINARY_DIR}/${SPRITE_DIST_NAME}-setup.exe)
add_custom_command(
  OUTPUT ${zip}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${SPRITE_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SPRITE_DIST_DIR}
  COMMAND ${CMAKE_STRIP} -o ${SPRITE_DIST_DIR}/sprite.exe $<TARGET_FILE:sprite>
  COMMAND ${CMAKE_STRIP} -o ${SPRITE_DIST_DIR}/sprite-cli.exe $<TARGET_FILE:sprite-cli>
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_BINARY_DIR}/dist/LICENSE.txt
          ${PROJECT_BINARY_DIR}/dist/README.txt ${SPRITE_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${SPRITE_DIST_NAME}
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/dist
  DEPENDS sprite sprite-cli ${PROJECT_BINARY_DIR}/dist/LICENSE.txt
          ${PROJECT_BINARY_DIR}/dist/README.txt
  COMMENT "Packing ${SPRITE_DIST_NAME}.zip"
  VERBATIM)
add_custom_command(
  OUTPUT ${setup}
  COMMAND ${SPRITE_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DDIST=${SPRITE_DIST_DIR}
          -DICON=${PROJECT_SOURCE_DIR}/art/program_icon.ico "-DPRODUCT=${SPRITE_PRODUCT_NAME}"
          -DOUTFILE=${setup} ${CMAKE_CURRENT_LIST_DIR}/installer.nsi
  DEPENDS ${zip} ${CMAKE_CURRENT_LIST_DIR}/installer.nsi
  COMMENT "Building the installer ${SPRITE_DIST_NAME}-setup.exe with NSIS"
  VERBATIM)
add_custom_target(windows-package DEPENDS ${zip} ${setup})
