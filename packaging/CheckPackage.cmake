# Run by ctest: packs the build with cpack into WORK_DIR, then checks the Debian package
# (its dependencies, its files, the menu entry) and the .tar.gz, and runs the companion
# from each, unpacked into a temporary root as a user would have it.
cmake_minimum_required(VERSION 3.25)

function(require condition message)
    cmake_language(EVAL CODE "if(${condition})\nset(held TRUE)\nelse()\nset(held FALSE)\nendif()")
    if(NOT held)
        message(FATAL_ERROR "package check: ${message}")
    endif()
endfunction()

# Runs a command; its standard output lands in the named variable.
function(run_checked into)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output
                    ERROR_VARIABLE errors)
    require("result EQUAL 0" "${ARGN} failed: ${errors}${output}")
    set(${into} "${output}" PARENT_SCOPE)
endfunction()

# The companion at this path starts and answers; and converts a sample table.
function(check_companion companion samples)
    execute_process(COMMAND "${companion}" --version RESULT_VARIABLE result
                    OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    if(NOT result EQUAL 0 AND errors MATCHES "unknown option")
        message(STATUS "${companion} has no --version yet; --help instead")
        execute_process(COMMAND "${companion}" --help RESULT_VARIABLE result
                        OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    else()
        string(FIND "${output}" "${VERSION}" at)
        require("at GREATER -1" "${companion} --version does not name ${VERSION}: ${output}")
    endif()
    require("result EQUAL 0" "${companion} does not start: ${errors}")
    run_checked(statements "${companion}" "${samples}/CUSTOMER.DBF")
    string(FIND "${statements}" "INSERT INTO" at)
    require("at GREATER -1" "${companion} wrote no statements")
endfunction()

find_program(dpkg_deb dpkg-deb)
find_program(dpkg_shlibdeps dpkg-shlibdeps)
if(NOT dpkg_deb OR NOT dpkg_shlibdeps)
    message(STATUS "dpkg-deb or dpkg-shlibdeps missing (dpkg-dev): nothing to check")
    cmake_language(EXIT 77)
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
run_checked(ignored cpack --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}")
set(deb "${WORK_DIR}/tabrivel_${VERSION}-${REVISION}_${ARCH}.deb")
set(tgz "${WORK_DIR}/tabrivel-${VERSION}-Linux.tar.gz")
require("EXISTS \"${deb}\"" "no Debian package at ${deb}")
require("EXISTS \"${tgz}\"" "no archive at ${tgz}")

# Dependencies come from the linked libraries, not from a hand-kept list.
run_checked(depends ${dpkg_deb} --field "${deb}" Depends)
foreach(library libqt6core6 libqt6gui6 libqt6widgets6 libicu libstdc++6 libc6)
    string(FIND ", ${depends}" ", ${library}" at)
    require("at GREATER -1" "the package does not depend on ${library}: ${depends}")
endforeach()

# The font the window asks for comes with the package: the families the window's code
# names, each as this system's fontconfig resolves it, belong to a package the Debian
# package depends on. Without it the fallback font is wider and labels are cut off.
find_program(fc_match fc-match)
find_program(dpkg_query dpkg-query)
require("fc_match AND dpkg_query" "fc-match (fontconfig) and dpkg-query are needed")
file(GLOB window_sources "${SOURCE_DIR}/app/*.cpp")
set(families "")
foreach(source IN LISTS window_sources)
    file(READ "${source}" text)
    string(REGEX MATCHALL "QFont[ \t]*[a-zA-Z_]*[ \t]*[({][ \t]*QStringLiteral[ \t]*\\([ \t]*\"[^\"]+\""
           named "${text}")
    string(REGEX MATCHALL "setFamil[a-z]*[ \t]*\\([ \t]*(QStringLiteral[ \t]*\\()?[ \t]*\"[^\"]+\""
           set_named "${text}")
    foreach(call IN LISTS named set_named)
        string(REGEX REPLACE ".*\"([^\"]+)\"$" "\\1" family "${call}")
        list(APPEND families "${family}")
    endforeach()
endforeach()
list(REMOVE_DUPLICATES families)
require("NOT families STREQUAL \"\"" "no font family found in ${SOURCE_DIR}/app/*.cpp")
foreach(family IN LISTS families)
    run_checked(font_file ${fc_match} --format=%{file} "${family}")
    execute_process(COMMAND ${dpkg_query} --search "${font_file}" RESULT_VARIABLE result
                    OUTPUT_VARIABLE owner OUTPUT_STRIP_TRAILING_WHITESPACE)
    require("result EQUAL 0" "the window's font ${family} is drawn with ${font_file}, which no package owns")
    string(REGEX REPLACE ":.*" "" font_package "${owner}")
    string(REGEX REPLACE ",.*" "" font_package "${font_package}")
    string(FIND ", ${depends}," ", ${font_package}," at_plain)
    string(FIND ", ${depends}" ", ${font_package} " at_versioned)
    require("at_plain GREATER -1 OR at_versioned GREATER -1"
            "the window asks for ${family}, drawn here with ${font_file} of ${font_package}, but the package does not depend on ${font_package}: ${depends}")
    message(STATUS "the window's font ${family} comes from ${font_package}, a dependency")
endforeach()

run_checked(contents ${dpkg_deb} --contents "${deb}")
foreach(file ./usr/bin/tabrivel ./usr/bin/tabrivel-convert ./usr/lib/tabrivel/tabrivel
        ./usr/lib/tabrivel/HAND-M.CUR ./usr/share/applications/tabrivel.desktop
        ./usr/share/icons/hicolor/256x256/apps/tabrivel.png
        ./usr/share/icons/hicolor/scalable/apps/tabrivel.svg
        ./usr/share/metainfo/com.marlquist.Tabrivel.metainfo.xml
        ./usr/share/doc/tabrivel/copyright ./usr/share/doc/tabrivel/changelog.Debian.gz
        ./usr/share/man/man1/tabrivel.1.gz)
    string(FIND "${contents}" " ${file}" at)
    require("at GREATER -1" "${file} is not in the package")
endforeach()

set(root "${WORK_DIR}/root")
run_checked(ignored ${dpkg_deb} -x "${deb}" "${root}")
file(READ "${root}/usr/share/applications/tabrivel.desktop" entry)
string(FIND "${entry}" "\nExec=/usr/bin/tabrivel\n" at)
require("at GREATER -1" "the packaged menu entry does not start /usr/bin/tabrivel:\n${entry}")
check_companion("${root}/usr/bin/tabrivel-convert" "${root}/usr/lib/tabrivel/Samples")

# The archive unpacks anywhere; its menu entry finds the program on the PATH.
set(unpacked "${WORK_DIR}/unpacked")
file(ARCHIVE_EXTRACT INPUT "${tgz}" DESTINATION "${unpacked}")
set(top "${unpacked}/tabrivel-${VERSION}-Linux")
file(READ "${top}/share/applications/tabrivel.desktop" entry)
string(FIND "${entry}" "\nExec=tabrivel\n" at)
require("at GREATER -1" "the archive's menu entry names a path:\n${entry}")
check_companion("${top}/bin/tabrivel-convert" "${top}/lib/tabrivel/Samples")
message(STATUS "package check passed: ${deb}")
