# Installation and the Debian package.
#
# Layout under the prefix: everything the program needs lies together in lib/korvel/ (the
# executables, the engines, the shipped language files, help/), so the program finds its parts
# beside its real executable; bin/korvel and bin/korvel-cli are relative symbolic links into it.
# The desktop entry and the icon go where desktops look for them.

include(GNUInstallDirs)
set(KORVEL_INSTALL_DIR lib/korvel)

# The engines and the decoder library, as far as they are part of this build. They carry
# RPATH $ORIGIN like the executables, and are found by name beside them.
foreach(engine zip32 unzip32 mpegdll)
  if(TARGET ${engine})
    install(TARGETS ${engine} LIBRARY DESTINATION ${KORVEL_INSTALL_DIR} RUNTIME DESTINATION ${KORVEL_INSTALL_DIR})
  endif()
endforeach()

# What is installed carries RUNPATH $ORIGIN in the build folder as well, where it all lies together
# in bin/ too. Left to itself CMake writes the build folder's path there followed by an empty
# element (room for the install to rewrite it), and the loader reads an empty element as the
# current folder: every library was first looked for in whatever folder the program ran in.
foreach(target korvel korvel-cli zip32 unzip32 mpegdll)
  if(TARGET ${target})
    set_target_properties(${target} PROPERTIES BUILD_WITH_INSTALL_RPATH ON)
  endif()
endforeach()

# The help page (the shipped language files are installed by lang/).
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/help/ DESTINATION ${KORVEL_INSTALL_DIR}/help)

# bin/korvel -> ../lib/korvel/korvel: made in the build tree and installed as a link, so that it
# also holds under DESTDIR and in the package.
set(KORVEL_LINK_DIR ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${KORVEL_LINK_DIR})
foreach(prog korvel korvel-cli)
  file(CREATE_LINK ../${KORVEL_INSTALL_DIR}/${prog} ${KORVEL_LINK_DIR}/${prog} SYMBOLIC)
  install(FILES ${KORVEL_LINK_DIR}/${prog} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/packaging/korvel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/korvel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The package's documentation: the copyright file and a compressed changelog, as Debian wants
# them in /usr/share/doc/korvel.
set(KORVEL_MAINTAINER "Korvel maintainers <maintainers@users.noreply.c-seed-4b953c57.example>"
    CACHE STRING "The package's Maintainer field: name <address> of whoever answers for the package")
set(KORVEL_DOC_DIR ${CMAKE_BINARY_DIR}/package-doc)
file(MAKE_DIRECTORY ${KORVEL_DOC_DIR})
file(READ ${CMAKE_SOURCE_DIR}/packaging/changelog KORVEL_CHANGELOG)
string(REPLACE "KORVEL_MAINTAINER" "${KORVEL_MAINTAINER}" KORVEL_CHANGELOG "${KORVEL_CHANGELOG}")
string(REPLACE "(2.0.0)" "(${PROJECT_VERSION})" KORVEL_CHANGELOG "${KORVEL_CHANGELOG}")
# A native package (its version has no Debian revision): the changelog is "changelog.gz".
file(WRITE ${KORVEL_DOC_DIR}/changelog "${KORVEL_CHANGELOG}")
configure_file(${CMAKE_SOURCE_DIR}/packaging/korvel.1 ${KORVEL_DOC_DIR}/korvel.1 COPYONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/korvel-cli.1 ${KORVEL_DOC_DIR}/korvel-cli.1 COPYONLY)
find_program(KORVEL_GZIP gzip)
if(KORVEL_GZIP)
  foreach(f changelog korvel.1 korvel-cli.1)
    execute_process(COMMAND ${KORVEL_GZIP} -9nf ${KORVEL_DOC_DIR}/${f})
  endforeach()
  install(FILES ${KORVEL_DOC_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korvel)
  install(FILES ${KORVEL_DOC_DIR}/korvel.1.gz ${KORVEL_DOC_DIR}/korvel-cli.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korvel)

# cpack -G DEB (in the build folder) makes korvel_<version>_<arch>.deb with stripped binaries;
# the dependencies are those dpkg-shlibdeps finds for them, plus the Qt platform plugins and the
# libraries loaded with dlopen, which dpkg-shlibdeps does not see: libarchive (3.4 is the first
# with every function the reader calls: RAR 5) and the unzip engine's decoders.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvel)
set(CPACK_PACKAGE_VENDOR "Korvel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Viewer embedded file_id.diz and managing ZIP files")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Korvel shows the description carried inside a ZIP archive (file_id.diz,\n"
    "readme.txt, a text file named after the archive, or a name of your own)\n"
    "in the DOS font, edits it and stores it back. It also extracts and packs\n"
    "archives, edits the ID3v1/ID3v2 tags of MP3 files and plays them, and has\n"
    "a two-pane file manager. korvel-cli offers the same operations to scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KORVEL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
string(CONCAT CPACK_DEBIAN_PACKAGE_DEPENDS
    "libarchive13 (>= 3.4.0), libbz2-1.0, liblzma5 (>= 5.1.1alpha+20120614), libzstd1 (>= 1.5.2), "
    "qt6-qpa-plugins (>= 6.4), shared-mime-info, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
