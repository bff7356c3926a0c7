# The Debian package of the installed program (scripts/package builds it with cpack -G DEB).
# Library dependencies come from dpkg-shlibdeps; what is loaded at run time without being
# linked (Qt's platform plug-ins) is named by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME reelkeep)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Reelkeep developers")
set(CPACK_PACKAGE_CONTACT "The Reelkeep developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalog of your movie collection")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://reelkeep.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# WebP and TIFF posters are read through these plug-ins; PNG and GIF work without them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins")
# The plug-ins' settings (the CSV separator, the code page of imported catalogs) are asked
# through one of these; without either, the settings file opens in an editor.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "zenity | kdialog")
# The summary is the description's first line; CPack indents the rest.
set(CPACK_PACKAGE_DESCRIPTION "Reelkeep keeps your movies, series with their episodes and the people who
made them in one catalog file, shows them in plain, tree and grid views,
fetches information and posters from web sites through plug-ins, imports
catalogs of other programs, reads technical data from media files, keeps
track of loans and draws statistics. reelkeep-cli works on the same
catalogs from scripts.")

include(CPack)
