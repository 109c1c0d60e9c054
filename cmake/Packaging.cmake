# The Debian package: cpack -G DEB in the build folder writes quillmere_<version>_amd64.deb.
# Its contents are the install rules (prefix /usr); CPack only adds the control data. The
# package needs no per-user step at install time: the wizard's launcher does that on first start.
set(CPACK_PACKAGE_NAME quillmere)
set(CPACK_PACKAGE_VENDOR Vantrell)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "load many CSV files into one Microsoft Access database")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillmere loads many CSV files into one Microsoft Access database (an .mdb
or .accdb file) in a single run, from a two-page wizard or from the command
line (quillmere-import). It needs no Microsoft Access: it carries its own
engine for Access files, with the accessdb tool to inspect, check, query and
create them.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vantrell <support@quillmere.app>")
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
