# The Debian package (`make package` at the top, or `cpack -G DEB` in the
# build tree): everything `make install` installs, under /usr. Included from
# the top-level CMakeLists.txt, since CPack's package target lives there.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME htmlimglist)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# htmlimglist_<version>_<architecture>.deb
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${HTMLIMGLIST_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "HTML catalogue pages of image folders")
set(CPACK_PACKAGE_DESCRIPTION
    "Turns a folder of JPEG and GIF images (optionally PNG, WebP, HEIC, AVIF
and videos too) into an HTML catalogue page: a bordered table with a fixed
number of cells per row, each cell with a running number, the image scaled to
a size limit, a link to the file and, if wanted, its pixel size, file size and
date, or a gallery page with a viewer. It can also write reduced JPEG copies
with a page that links each to its full-size image, and chain numbered
folders with Prev and Next links.
.
This package holds the desktop window, htmlimglist, and the command-line
tool, htmlimglist-cli, which makes the same runs and shares its settings.")
# Library dependencies as dpkg-shlibdeps finds them in the programs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window draws Japanese text (its Japanese captions, file names) in these
# fonts, the ones it is tested with.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, fonts-ipafont-mincho")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")
set(CPACK_STRIP_FILES ON)
include(CPack)
