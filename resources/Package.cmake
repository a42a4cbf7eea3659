# `cpack -G DEB` in the build folder (./build.sh package) makes quilder_<version>_<arch>.deb of
# what `cmake --install` puts in, under /usr. Its Depends are found from the program's shared
# libraries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quilder)
set(CPACK_PACKAGE_VENDOR "The Quilder developers")
set(CPACK_PACKAGE_CONTACT "The Quilder developers <support@quilder.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find duplicate files and delete, open or list them")
# Lines of at most 80 characters, as Debian's tools show them.
set(CPACK_PACKAGE_DESCRIPTION
    "Quilder is a desktop program that finds duplicate files. Tick drives and
folders and the size classes to search, from Tiny files under 1 KB to Huge
files of 100 MB and more. Files of equal size are compared by content: every
byte of tiny files, samples of larger ones, and size alone from 10 MB up.
Groups of identical files appear while the search runs; tick copies and delete
them (each is first compared byte for byte with a copy that stays), open them
or their folders, or save the listing to a result file.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quilder.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
