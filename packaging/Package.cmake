# Packages: `cpack` in the build folder writes, on Linux, a Debian package and a .tar.gz
# of the installed tree; on Windows a .zip and an NSIS installer; on macOS a disk image
# holding the bundle. The Debian package's dependencies are read from the libraries the
# programs actually link (Qt, ICU, SQLite, the C++ runtime) by dpkg-shlibdeps; the one
# thing no library names is the font the window is drawn with.
set(CPACK_PACKAGE_NAME tabrivel)
set(CPACK_PACKAGE_VENDOR "Team Marlquist")
set(CPACK_PACKAGE_CONTACT "${TABRIVEL_DEBIAN_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Turn dBase and FoxPro tables into SQL scripts")
# Lines of at most 79 characters: the package tools show them as they are.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Reads dBase, FoxPro, Visual FoxPro and Clipper tables (.dbf, with their memo"
    "files) and writes one CREATE TABLE and one INSERT INTO statement per record."
    "A desktop program and a command-line companion, tabrivel-convert, which also"
    "writes scripts for SQLite, PostgreSQL, MySQL/MariaDB and SQL Server.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.marlquist.example/")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
    set(CPACK_GENERATOR ZIP NSIS)
    set(CPACK_PACKAGE_INSTALL_DIRECTORY Tabrivel)
    set(CPACK_PACKAGE_EXECUTABLES tabrivel Tabrivel)
    set(CPACK_NSIS_DISPLAY_NAME Tabrivel)
    set(CPACK_NSIS_PACKAGE_NAME Tabrivel)
    set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/app/assets/tabrivel.ico)
    set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/app/assets/tabrivel.ico)
    set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\tabrivel.exe")
    set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
    set(CPACK_NSIS_URL_INFO_ABOUT ${CPACK_PACKAGE_HOMEPAGE_URL})
elseif(APPLE)
    set(CPACK_GENERATOR DragNDrop)
    set(CPACK_DMG_VOLUME_NAME Tabrivel)
    set(CPACK_DMG_FORMAT UDZO)
else()
    set(CPACK_GENERATOR DEB TGZ)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Debian revision of this upstream version; its changelog is changelog.Debian.gz.
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TABRIVEL_DEBIAN_REVISION})
# The window asks for Arial, which Debian draws with its metric twin Liberation Sans;
# without it the fallback is wider and labels are cut off. The test package_check
# derives the package from the font the window asks for and checks it is here.
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation2)

# A .tar.gz can be unpacked anywhere, so its menu entry cannot name the program's path.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackageGenerator.cmake)

include(CPack)

# Packs the build and checks both packages (needs dpkg-dev; skipped without it).
if(UNIX AND NOT APPLE)
    execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE deb_arch
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    add_test(NAME package_check
        COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
                -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/package-check
                -DVERSION=${PROJECT_VERSION} -DREVISION=${TABRIVEL_DEBIAN_REVISION}
                -DARCH=${deb_arch}
                -P ${CMAKE_CURRENT_LIST_DIR}/CheckPackage.cmake)
    # Packing installs the whole build, which the install check must not see.
    set_tests_properties(package_check PROPERTIES RUN_SERIAL TRUE SKIP_RETURN_CODE 77)
endif()
