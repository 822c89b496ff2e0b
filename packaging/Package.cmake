# Packages: `cpack` in the build folder writes a Debian package and a .tar.gz of the
# installed tree. The Debian package's dependencies are read from the libraries the
# programs actually link (Qt, ICU, the C++ runtime) by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME tabrivel)
set(CPACK_PACKAGE_VENDOR "Team Marlquist")
set(CPACK_PACKAGE_CONTACT "Team Marlquist <support@marlquist.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Turn dBase and FoxPro tables into SQL scripts")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads dBase, FoxPro, Visual FoxPro and Clipper tables (.dbf, with their memo files) and writes one CREATE TABLE and one INSERT INTO statement per record. A desktop program and a command-line companion, tabrivel-convert.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.marlquist.example/")
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# A .tar.gz can be unpacked anywhere, so its menu entry cannot name the program's path.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackageGenerator.cmake)

include(CPack)

# Packs the build and checks both packages (needs dpkg-dev; skipped without it).
if(UNIX AND NOT APPLE)
    execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE deb_arch
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    add_test(NAME package_check
        COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
                -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/package-check
                -DVERSION=${PROJECT_VERSION} -DARCH=${deb_arch}
                -P ${CMAKE_CURRENT_LIST_DIR}/CheckPackage.cmake)
    # Packing installs the whole build, which the install check must not see.
    set_tests_properties(package_check PROPERTIES RUN_SERIAL TRUE SKIP_RETURN_CODE 77)
endif()
