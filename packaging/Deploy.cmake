# Windows and macOS: the programs' icons, and the libraries they need copied beside them
# when installing, so that the installed folder (and the .zip, the installer and the
# disk image made from it) runs on a machine without Qt, ICU, SQLite, libpq or uchardet.
#
# Not run on the Linux machines this project is built and tested on: the MinGW syntax
# check (scripts/check-windows-syntax.py) compiles the sources for Windows, nothing here.

# The libraries whose DLLs are copied beside the programs on Windows, by the import
# libraries CMake found for them (their DLLs sit in the bin folder beside lib, as vcpkg
# and the official builds lay them out). Qt's own are windeployqt's.
find_package(SQLite3 REQUIRED)
find_package(PostgreSQL REQUIRED)
set(TABRIVEL_RUNTIME_LIBRARIES ${ICU_LIBRARIES} ${SQLite3_LIBRARIES} ${PostgreSQL_LIBRARIES})

# Qt's tools sit beside qmake; windeployqt and macdeployqt among them.
set(qt_bin "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
if(TARGET Qt6::qmake)
    get_target_property(qmake Qt6::qmake IMPORTED_LOCATION)
    if(qmake)
        get_filename_component(qmake_folder "${qmake}" DIRECTORY)
        list(PREPEND qt_bin "${qmake_folder}")
    endif()
endif()

if(WIN32)
    foreach(program tabrivel tabrivel-convert)
        if(program STREQUAL "tabrivel")
            set(TABRIVEL_FILE_DESCRIPTION "Tabrivel: dBase and FoxPro tables into SQL scripts")
        else()
            set(TABRIVEL_FILE_DESCRIPTION "Tabrivel's command-line companion")
        endif()
        set(TABRIVEL_FILE_NAME ${program}.exe)
        set(TABRIVEL_ICON ${PROJECT_SOURCE_DIR}/app/assets/tabrivel.ico)
        configure_file(${CMAKE_CURRENT_SOURCE_DIR}/windows/tabrivel.rc.in
                       ${CMAKE_CURRENT_BINARY_DIR}/${program}.rc @ONLY)
        target_sources(${program} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${program}.rc)
    endforeach()

    # Quoted one by one for the install code: a folder may hold spaces.
    set(dll_folders "")
    foreach(library IN LISTS TABRIVEL_RUNTIME_LIBRARIES)
        if(library MATCHES "^(optimized|debug|general)$")
            continue()
        endif()
        get_filename_component(folder "${library}" DIRECTORY)
        string(APPEND dll_folders " \"${folder}/../bin\" \"${folder}\"")
    endforeach()
    find_program(WINDEPLOYQT windeployqt HINTS ${qt_bin} REQUIRED)
    install(CODE "
        set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TABRIVEL_PROGRAM_DIR}\")
        execute_process(COMMAND \"${WINDEPLOYQT}\" --release --no-translations
                                --no-system-d3d-compiler --dir \"\${bin}\"
                                \"\${bin}/tabrivel.exe\" \"\${bin}/tabrivel-convert.exe\"
                        RESULT_VARIABLE deployed)
        if(NOT deployed EQUAL 0)
            message(FATAL_ERROR \"windeployqt failed\")
        endif()
        file(GET_RUNTIME_DEPENDENCIES
             EXECUTABLES \"\${bin}/tabrivel.exe\" \"\${bin}/tabrivel-convert.exe\"
             RESOLVED_DEPENDENCIES_VAR found UNRESOLVED_DEPENDENCIES_VAR missing
             DIRECTORIES \"\${bin}\" ${dll_folders}
             PRE_EXCLUDE_REGEXES \"^api-ms-\" \"^ext-ms-\"
             POST_EXCLUDE_REGEXES \"[Ss][Yy][Ss][Tt][Ee][Mm]32\")
        foreach(library IN LISTS found)
            get_filename_component(folder \"\${library}\" DIRECTORY)
            if(NOT folder STREQUAL bin)
                file(INSTALL \"\${library}\" DESTINATION \"\${bin}\")
            endif()
        endforeach()
        if(missing)
            message(FATAL_ERROR \"not found for the installed programs: \${missing}\")
        endif()")
    install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/CHANGELOG.md
            DESTINATION .)
elseif(APPLE)
    # The bundle's icon, from the same drawing as every other (scripts/make-assets.py).
    set(icns ${CMAKE_CURRENT_SOURCE_DIR}/macos/tabrivel.icns)
    target_sources(tabrivel PRIVATE ${icns})
    set_source_files_properties(${icns} TARGET_DIRECTORY tabrivel
                                PROPERTIES MACOSX_PACKAGE_LOCATION Resources)
    set_target_properties(tabrivel PROPERTIES MACOSX_BUNDLE_ICON_FILE tabrivel.icns)

    # macdeployqt copies Qt and every library the two programs link from outside the
    # system (ICU, SQLite, libpq from Homebrew) into the bundle, and rewrites their paths.
    find_program(MACDEPLOYQT macdeployqt HINTS ${qt_bin} REQUIRED)
    install(CODE "
        set(bundle \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/tabrivel.app\")
        execute_process(COMMAND \"${MACDEPLOYQT}\" \"\${bundle}\"
                                \"-executable=\${bundle}/Contents/MacOS/tabrivel-convert\"
                        RESULT_VARIABLE deployed)
        if(NOT deployed EQUAL 0)
            message(FATAL_ERROR \"macdeployqt failed\")
        endif()")
    install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION tabrivel.app/Contents/Resources)
endif()
