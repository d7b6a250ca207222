# Manual pages, the package's documentation files and the Debian package (cpack -G DEB).
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(CYRVERT_GENERATED_PACKAGING ${PROJECT_BINARY_DIR}/generated/packaging)

# Debian wants the release date of the changelog in RFC 2822 form.
execute_process(COMMAND date -u -R -d "${CYRVERT_RELEASE_DATE}"
                OUTPUT_VARIABLE CYRVERT_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE)

# Pages and documents compressed the way Debian installs them (no name or time stamp inside).
set(CYRVERT_MAN_PAGES cyrvert-cli txtassoc)
if(CYRVERT_BUILD_GUI)
  list(APPEND CYRVERT_MAN_PAGES cyrvert)
endif()
set(compressed)
foreach(page ${CYRVERT_MAN_PAGES})
  configure_file(${PROJECT_SOURCE_DIR}/man/${page}.1.in ${CYRVERT_GENERATED_PACKAGING}/${page}.1
                 @ONLY)
  list(APPEND compressed ${page}.1)
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in
               ${CYRVERT_GENERATED_PACKAGING}/changelog @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in
               ${CYRVERT_GENERATED_PACKAGING}/copyright @ONLY)
list(APPEND compressed changelog)
set(outputs)
foreach(file ${compressed})
  add_custom_command(
    OUTPUT ${CYRVERT_GENERATED_PACKAGING}/${file}.gz
    COMMAND sh -c "'${GZIP_EXECUTABLE}' -9n -c '${file}' > '${file}.gz'"
    DEPENDS ${CYRVERT_GENERATED_PACKAGING}/${file}
    WORKING_DIRECTORY ${CYRVERT_GENERATED_PACKAGING}
    VERBATIM)
  list(APPEND outputs ${CYRVERT_GENERATED_PACKAGING}/${file}.gz)
endforeach()
add_custom_target(cyrvert_docs ALL DEPENDS ${outputs})

foreach(page ${CYRVERT_MAN_PAGES})
  install(FILES ${CYRVERT_GENERATED_PACKAGING}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
install(FILES ${CYRVERT_GENERATED_PACKAGING}/copyright ${CYRVERT_GENERATED_PACKAGING}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The README stands in for a help file (Help Topics opens it).
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cyrvert)
set(CPACK_PACKAGE_VENDOR "Cyrvert developers")
set(CPACK_PACKAGE_CONTACT "${CYRVERT_MAINTAINER}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${CYRVERT_HOMEPAGE_URL}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CYRVERT_SUMMARY}")
# Wrapped for the control file, whose description lines must stay under 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Cyrvert is a text editor for Russian text that arrived in an"
  "unidentified single-byte code page (cp-1251, cp-866, KOI8-R or"
  "ISO-8859-5), or that was converted with the wrong table one or more"
  "times. By letter statistics it finds the chains of conversions that"
  "explain the damage and opens the repaired text in a new window. It also"
  "converts by hand, imports and exports UTF-7, UTF-8, Quoted-Printable,"
  "base64 and uuencode, and decodes the clipboard. The package holds the"
  "editor, the command-line tool cyrvert-cli, and txtassoc, which gives"
  "back the association of plain-text files."
)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CYRVERT_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${CYRVERT_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
