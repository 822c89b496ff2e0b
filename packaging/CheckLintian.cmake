# Run by ctest: packs the build into a Debian package with cpack and runs Debian's own
# checker, lintian --pedantic, on it. Any error or warning fails the test; so does, in an
# optimised build (the one packages are made from), any missing hardening, which lintian
# reports only as information.
cmake_minimum_required(VERSION 3.25)

find_program(lintian lintian)
if(NOT lintian)
    message(FATAL_ERROR "lintian not found: scripts/install-deps.sh installs it")
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND cpack -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed:\n${output}")
endif()
file(GLOB debs "${WORK_DIR}/*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "cpack wrote ${count} Debian packages into ${WORK_DIR}, not one")
endif()

# --display-info shows the I: tags too, the hardening among them; --pedantic the P: tags.
execute_process(COMMAND "${lintian}" --pedantic --display-info --tag-display-limit 0 ${debs}
                RESULT_VARIABLE result OUTPUT_VARIABLE report ERROR_VARIABLE errors)
message(STATUS "lintian --pedantic on ${debs}:\n${report}${errors}")
if(NOT result EQUAL 0 AND report STREQUAL "")
    message(FATAL_ERROR "lintian did not run (status ${result}): ${errors}")
endif()

set(optimised FALSE)
if(BUILD_TYPE MATCHES "^(Release|RelWithDebInfo)$")
    set(optimised TRUE)
endif()
# Matched in the whole text, not as a list: lintian's "[path]" pointers would upset
# CMake's list splitting.
string(REGEX MATCHALL "\n[EW]: [^\n]*" refused "\n${report}")
if(optimised)
    # Every hardening tag fails, but one: lintian itself calls "no fortified functions"
    # prone to false positives, since a program whose copies all have sizes unknown at
    # compile time calls no checked function however it was built. It fails only when
    # it holds for every program in the package, which happens when the flag is missing.
    string(REGEX MATCHALL "\n[A-Z]: [^ \n]+: hardening-[^\n]*" unhardened "\n${report}")
    set(unfortified "")
    foreach(line IN LISTS unhardened)
        if(line MATCHES "hardening-no-fortify-functions")
            list(APPEND unfortified "${line}")
        else()
            list(APPEND refused "${line}")
        endif()
    endforeach()
    execute_process(COMMAND dpkg-deb --contents ${debs} OUTPUT_VARIABLE contents)
    string(REGEX MATCHALL "\n-rwx[^\n]*" programs "\n${contents}")
    list(LENGTH programs program_count)
    list(LENGTH unfortified unfortified_count)
    if(program_count GREATER 0 AND unfortified_count GREATER_EQUAL program_count)
        list(APPEND refused ${unfortified})
    endif()
endif()
string(JOIN "" refused ${refused})
if(NOT refused STREQUAL "")
    message(FATAL_ERROR "lintian finds fault with the package:\n${refused}")
endif()
message(STATUS "lintian is content with ${debs}")
