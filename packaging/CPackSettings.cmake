# The Debian package: make package (cpack -G DEB) writes
# zorva_<version>_<arch>.deb into the build folder. Everything installed under
# /usr; the libraries the programs link are found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorva)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zorva developers")
set(CPACK_PACKAGE_CONTACT "Zorva developers <zorva@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "compare an enterprise's financial statements with its industry")
# The synopsis is the summary above; CPack indents these lines and marks the
# empty one as a paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Zorva (in French, Velmo) is a bilingual English/French desktop program with
which the owner or adviser of a small or medium enterprise compares the
enterprise's balance sheet and income statement with published benchmarks
for its industry: ratio quartiles, balance-sheet structure, and a comparison
report that ranks the enterprise against its peers.

The benchmark figures shipped with this version are illustrative, not
official statistics.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries come from dpkg-shlibdeps; Qt's platform plugins (X11, Wayland,
# offscreen) are a package of their own that no library pulls in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# French dialog buttons of Qt, and the fonts the reports are laid out with.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-dejavu-core")
# An office's shared user store runs on a PostgreSQL server (zorva-data init-store).
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "postgresql")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
