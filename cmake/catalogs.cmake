# The button labels' catalogs: po/<language>.po built with msgfmt into <language>/LC_MESSAGES/askbox.mo,
# in the build tree for the tests and under share/locale where askbox is installed.
include(GNUInstallDirs)

# The program finds its catalogs from where it is installed, so the same build serves any prefix.
file(RELATIVE_PATH ASKBOX_LOCALE_FROM_PROGRAM /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${CMAKE_INSTALL_LOCALEDIR})
target_compile_definitions(askbox_box PRIVATE ASKBOX_LOCALE_FROM_PROGRAM="${ASKBOX_LOCALE_FROM_PROGRAM}")

set(ASKBOX_BUILD_LOCALE_DIR ${CMAKE_BINARY_DIR}/locale)
find_program(ASKBOX_MSGFMT msgfmt)
if(NOT ASKBOX_MSGFMT)
  # The labels are then English in every language; the gettext package has msgfmt.
  message(STATUS "msgfmt not found: askbox is built without its translations (apt-get install gettext)")
  return()
endif()

file(GLOB ASKBOX_PO_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/po/*.po)
set(ASKBOX_CATALOGS "")
foreach(po ${ASKBOX_PO_FILES})
  get_filename_component(language ${po} NAME_WE)
  set(mo ${ASKBOX_BUILD_LOCALE_DIR}/${language}/LC_MESSAGES/askbox.mo)
  # --check catches a translation whose format or header is broken before it ships.
  add_custom_command(
    OUTPUT ${mo}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ASKBOX_BUILD_LOCALE_DIR}/${language}/LC_MESSAGES
    COMMAND ${ASKBOX_MSGFMT} --check -o ${mo} ${po}
    DEPENDS ${po}
    VERBATIM)
  list(APPEND ASKBOX_CATALOGS ${mo})
  install(FILES ${mo} DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/${language}/LC_MESSAGES)
endforeach()
add_custom_target(catalogs ALL DEPENDS ${ASKBOX_CATALOGS})
