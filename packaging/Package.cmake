# The Debian package, built by cpack from the install layout above.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Quorrel developers <quorrel@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "texture editor for .T3D game scene files")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Quorrel opens game scene files (.T3D), lists their textures with size, bit
depth, mip levels and flags, previews them, extracts them with all their mip
levels to TGA files and puts edited TGA files back in their place. The scene
is saved in either of its two formats.
.
The package holds the editor, quorrel, and quorrel-cli, which does the same
work from the command line.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/quorrel/quorrel")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Without Depends the package would install and then fail to start.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/debian/CheckDepends.cmake)
include(CPack)
