# `make package`: a Debian package of what `cmake --install` installs, plus the
# copyright file and the changelog every Debian package carries. Its
# dependencies come from dpkg-shlibdeps.

set(SPRITE_PACKAGE_RELEASE 1)
set(SPRITE_MAINTAINER "Sprite Encoder Maintainers <packaging@sprite-encoder.example.org>")
set(package_doc ${CMAKE_INSTALL_DATADIR}/doc/${SPRITE_PACKAGE_NAME})
set(package_out ${CMAKE_BINARY_DIR}/packaging)

# The changelog's newest entry names the version being packaged.
set(changelog ${PROJECT_SOURCE_DIR}/packaging/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog} ${PROJECT_SOURCE_DIR}/LICENSE)
file(STRINGS ${changelog} newest LIMIT_COUNT 1)
set(package_version ${PROJECT_VERSION}-${SPRITE_PACKAGE_RELEASE})
if(NOT newest MATCHES "^${SPRITE_PACKAGE_NAME} \\(${package_version}\\) ")
  message(FATAL_ERROR "packaging/changelog: the newest entry is not ${package_version}: ${newest}")
endif()

# The copyright file in Debian's machine-readable form, the licence text from LICENSE.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(STRIP "${licence}" licence)
if(NOT licence MATCHES "Copyright \\(c\\) ([^\n]+)")
  message(FATAL_ERROR "LICENSE: no copyright line")
endif()
set(copyright_holder "${CMAKE_MATCH_1}")
string(REGEX REPLACE "\n[ \t]*\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " licence "${licence}")
file(CONFIGURE OUTPUT ${package_out}/copyright @ONLY CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Sprite Encoder / Decoder
Upstream-Contact: ${SPRITE_MAINTAINER}

Files: *
Copyright: ${copyright_holder}
License: Expat
 ${licence}
")

add_custom_command(
  OUTPUT ${package_out}/changelog.Debian.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${changelog} ${package_out}/changelog.Debian
  COMMAND gzip -9nf ${package_out}/changelog.Debian
  DEPENDS ${changelog}
  VERBATIM)
add_custom_target(sprite-package-docs ALL DEPENDS ${package_out}/changelog.Debian.gz)

# Only the package carries these: `make install` from source leaves them out.
install(FILES ${package_out}/copyright ${package_out}/changelog.Debian.gz
        DESTINATION ${package_doc} COMPONENT debian EXCLUDE_FROM_ALL)

# Stripped as Debian's own tools strip: without the compilers' notes either.
foreach(program sprite sprite-cli)
  if(TARGET ${program})
    install(CODE "execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\"
                    COMMAND_ERROR_IS_FATAL ANY)"
            COMPONENT debian EXCLUDE_FROM_ALL)
  endif()
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${SPRITE_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Sprite Encoder / Decoder authors")
set(CPACK_PACKAGE_CONTACT ${SPRITE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "packer and unpacker of sprite archives of 8-bit BMP pictures")
set(CPACK_PACKAGE_DESCRIPTION
    "A tool for game modders: it packs 8-bit, 256-colour BMP sprite pictures
into one sprite archive (.spr), with run-length coded pictures and one shared
palette, and unpacks archives back into BMP files.

The window program sprite lists the bitmaps to pack and opens sprite archives
and bitmaps from a file manager; sprite-cli runs the same Encode and Decode
commands from a console, for scripts.")
# Everything `cmake --install` installs, and the Debian files above.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/" "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${SPRITE_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${SPRITE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps adds what the programs link: Qt, libspng0 (>= 0.7.3) and
# libdeflate0 for PNG pictures, zlib, the C and C++ libraries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without the platform plugins (a Recommends of Qt's own) an install with
# --no-install-recommends cannot open the window.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
# Tab completion of sprite-cli needs bash's completion framework.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS bash-completion)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
