# Installing the Linux program, and the Debian package made from that installation by
# `cpack -G DEB` in the build tree.
include(GNUInstallDirs)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The build keeps its debug information for reading failure offsets back; an installation
# does not need it, and `cmake --install --strip` or the package drop it.
install(TARGETS askbox RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Plain strip keeps the compiler's version strings, which no one reading the program needs.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/askbox\" COMMAND_ERROR_IS_FATAL ANY)
  endif()")

find_program(ASKBOX_GZIP gzip REQUIRED)
set(ASKBOX_DOC_DIR ${CMAKE_CURRENT_BINARY_DIR}/doc)
configure_file(doc/askbox.1 ${ASKBOX_DOC_DIR}/askbox.1 @ONLY)

# The changelog is also the package's: its latest entry has to be this version.
file(STRINGS doc/changelog ASKBOX_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT ASKBOX_CHANGELOG_TOP MATCHES "^askbox \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "doc/changelog has no entry for ${PROJECT_VERSION} at its top")
endif()
configure_file(doc/changelog ${ASKBOX_DOC_DIR}/changelog COPYONLY)

# -n leaves out the name and time stamp, so the same sources make the same files.
add_custom_command(
  OUTPUT ${ASKBOX_DOC_DIR}/askbox.1.gz ${ASKBOX_DOC_DIR}/changelog.gz
  COMMAND ${ASKBOX_GZIP} -9nkf askbox.1 changelog
  DEPENDS ${ASKBOX_DOC_DIR}/askbox.1 ${ASKBOX_DOC_DIR}/changelog
  WORKING_DIRECTORY ${ASKBOX_DOC_DIR}
  VERBATIM)
add_custom_target(compressed_docs ALL
  DEPENDS ${ASKBOX_DOC_DIR}/askbox.1.gz ${ASKBOX_DOC_DIR}/changelog.gz)

# The copyright file in Debian's machine-readable form, made from LICENSE so the two cannot
# disagree: its holder line, then the terms with blank lines written as " .".
file(READ LICENSE ASKBOX_LICENSE)
if(NOT ASKBOX_LICENSE MATCHES "Copyright \\(c\\) ([^\n]+)\n+(.*[^\n])\n*$")
  message(FATAL_ERROR "LICENSE has no copyright line followed by the terms")
endif()
set(ASKBOX_COPYRIGHT_HOLDER "${CMAKE_MATCH_1}")
string(REPLACE "\n" "\n " ASKBOX_LICENSE_TERMS " ${CMAKE_MATCH_2}")
string(REPLACE "\n \n" "\n .\n" ASKBOX_LICENSE_TERMS "${ASKBOX_LICENSE_TERMS}")
file(CONFIGURE OUTPUT ${ASKBOX_DOC_DIR}/copyright @ONLY CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: askbox

Files: *
Copyright: @ASKBOX_COPYRIGHT_HOLDER@
License: Expat
Comment: askbox is linked with the C library alone, and loads the X libraries
 (libX11, libXrender, fontconfig, Xft) from their own packages when it shows a
 window: no code of another project is part of this package.

License: Expat
@ASKBOX_LICENSE_TERMS@
")

install(FILES ${ASKBOX_DOC_DIR}/askbox.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${ASKBOX_DOC_DIR}/copyright ${ASKBOX_DOC_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME askbox)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "askbox developers <askbox@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "message box for shell scripts, answered by exit status")
set(CPACK_PACKAGE_DESCRIPTION
"askbox shows one standard message box, with a message, a title, an icon and
a set of buttons such as OK/Cancel, Yes/No or Retry/Cancel, and ends with the
pressed button's identifier as its exit status, so that a shell script can
branch on the answer.

On Linux the box is an X window where a display answers, and else is drawn
on the controlling terminal; with neither, askbox reports that no box could
be shown and ends with 0. The X libraries are loaded only when a window is
wanted, so askbox works on a machine without them, on the terminal. The same
program is built for Windows as askbox.exe, for batch files.")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# What the program is linked with (the C library alone), as dpkg-shlibdeps finds it. The window's
# libraries are loaded at run time, which dpkg-shlibdeps cannot see; without them askbox still
# works on the terminal, so they are recommended rather than required, with the font it looks for first,
# and libdbus for screen readers.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libx11-6, libx11-xcb1, libxcb-randr0, libxft2, libxrender1, libfontconfig1, fonts-dejavu-core, libharfbuzz0b, libfribidi0, libdbus-1-3")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
include(CPack)
