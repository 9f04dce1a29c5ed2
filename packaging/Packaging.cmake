# Install rules, the help beside the programs, and the Debian package made by CPack
# (cmake --build build --target package).

include(GNUInstallDirs)

# The help pages lie beside the executables in the build, as in a portable copy.
add_custom_target(help-pages ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/help ${CMAKE_BINARY_DIR}/help
  COMMENT "Copying the help beside the programs")

# A portable or Windows copy keeps its shipped files beside the executables; an installed Linux copy
# in <prefix>/share/miravel, which is how the programs recognise an installed layout.
if(WIN32)
  set(MIRAVEL_SHARED_DIR ${CMAKE_INSTALL_BINDIR})
else()
  set(MIRAVEL_SHARED_DIR ${CMAKE_INSTALL_DATADIR}/miravel)
endif()

install(TARGETS Miravel miravel-batch Convt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/infodata DESTINATION ${MIRAVEL_SHARED_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION ${MIRAVEL_SHARED_DIR}/help)

if(UNIX AND NOT APPLE)
  set(pkg ${CMAKE_SOURCE_DIR}/packaging)
  install(FILES ${pkg}/miravel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${pkg}/miravel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${pkg}/miravel.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
  configure_file(${pkg}/io.github.miravel.Miravel.metainfo.xml ${CMAKE_BINARY_DIR}/packaging/io.github.miravel.Miravel.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/io.github.miravel.Miravel.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${pkg}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME miravel)
  set(docdir ${CMAKE_INSTALL_DATADIR}/doc/miravel) # the package's name, as Debian's policy asks
  install(FILES ${pkg}/copyright DESTINATION ${docdir})

  # Man pages and the changelog are compressed, as Debian's policy asks (gzip -n: no time stamp).
  find_program(GZIP_PROGRAM gzip)
  set(compressed)
  foreach(page Miravel.1 miravel-batch.1 Convt.1)
    configure_file(${pkg}/man/${page} ${CMAKE_BINARY_DIR}/packaging/man/${page} @ONLY)
    list(APPEND compressed ${CMAKE_BINARY_DIR}/packaging/man/${page}.gz)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/man/${page}.gz
      COMMAND ${GZIP_PROGRAM} -9nf -k ${CMAKE_BINARY_DIR}/packaging/man/${page}
      DEPENDS ${CMAKE_BINARY_DIR}/packaging/man/${page})
    install(FILES ${CMAKE_BINARY_DIR}/packaging/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  configure_file(${pkg}/changelog ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    COMMAND ${GZIP_PROGRAM} -9nf -k ${CMAKE_BINARY_DIR}/packaging/changelog
    DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog)
  list(APPEND compressed ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${docdir})
  add_custom_target(packaging-files ALL DEPENDS ${compressed})
endif()

set(CPACK_PACKAGE_NAME miravel)
set(CPACK_PACKAGE_VENDOR "Miravel")
set(CPACK_PACKAGE_CONTACT "Miravel maintainers <maintainers@miravel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stock charts and price data for Japanese equities")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
# Beside the libraries dpkg-shlibdeps finds: the SVG image and icon plugins (toolbar icons), Qt's
# Japanese translations (standard buttons and dialogs) and a font with the Japanese glyphs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-translations-l10n, fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Miravel (ミラベル) is a desktop program for a private investor in Japanese
equities. It imports daily price files, draws daily and weekly candlestick
charts with moving averages, volume and indicators, keeps two watch boards,
browses ranking data, keeps a trade ledger and maintains the stored data.
The user interface is in Japanese. The package also holds miravel-batch, the
command-line tool for scripted imports, and the converter Convt.")
include(CPack)

if(MIRAVEL_BUILD_TESTS AND UNIX AND NOT APPLE AND NOT MIRAVEL_SANITIZE AND NOT MIRAVEL_FUZZ)
  # Builds the package from this tree, unpacks it into a temporary root and checks it (the release
  # build only: a sanitized or fuzzing build is never packaged).
  add_test(NAME package COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/check-package.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(package PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()
