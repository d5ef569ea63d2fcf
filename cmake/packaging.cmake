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
@ASKBOX_LICENSE_TERMS@
")

install(FILES ${ASKBOX_DOC_DIR}/askbox.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${ASKBOX_DOC_DIR}/copyright ${ASKBOX_DOC_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# What lintian reports but is meant so, in the package only: other installations have no use for it.
file(WRITE ${ASKBOX_DOC_DIR}/lintian-overrides
"# Static on purpose: askbox must start, and show its terminal box, where no X library is
# installed, and a dynamically linked start costs twenty times the instructions of its short
# paths (README, Cost). The X and font libraries come in with what they embed.
askbox: statically-linked-binary [usr/bin/askbox]
askbox: embedded-library expat [usr/bin/askbox]
askbox: embedded-library freetype [usr/bin/askbox]
askbox: embedded-library libpng [usr/bin/askbox]
askbox: embedded-library zlib [usr/bin/askbox]
# The usage text is printed byte for byte as scripts and users have long known it.
askbox: spelling-error-in-binary seperated separated [usr/bin/askbox]
")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/install-lintian-overrides.cmake
"file(INSTALL \"${ASKBOX_DOC_DIR}/lintian-overrides\"
     DESTINATION \"\${CPACK_PACKAGING_INSTALL_PREFIX}/share/lintian/overrides\"
     RENAME askbox FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
")
set(CPACK_INSTALL_SCRIPTS ${CMAKE_CURRENT_BINARY_DIR}/install-lintian-overrides.cmake)

set(CPACK_PACKAGE_NAME askbox)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "askbox developers <askbox@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "message box for shell scripts, answered by exit status")
set(CPACK_PACKAGE_DESCRIPTION
"askbox shows one standard message box, with a message, a title, an icon and
a set of buttons such as OK/Cancel, Yes/No or Retry/Cancel, and ends with the
pressed button's identifier as its exit status, so that a shell script can
branch on the answer.

On Linux the box is drawn on the controlling terminal; without a terminal
askbox reports that no box could be shown and ends with 0. The same program
is built for Windows as askbox.exe, for batch files.")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Linked statically: it needs no other package, and shlibdeps would have nothing to find.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
include(CPack)
