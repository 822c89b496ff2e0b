# Run at build time: writes the Debian package's changelog (changelog.Debian.gz) from
# the newest section of CHANGELOG.md, and the upstream changelog (changelog.gz), both
# compressed without a time stamp so that two builds give the same bytes. Stops when the
# newest section is not the version being built: a release updates CHANGELOG.md.
#
#   cmake -DCHANGELOG=... -DVERSION=... -DREVISION=... -DMAINTAINER=... -DGZIP=...
#         -DOUTPUT_DIR=... -P DebianChangelog.cmake
cmake_minimum_required(VERSION 3.25)

file(STRINGS "${CHANGELOG}" lines ENCODING UTF-8)
set(section_version "")
set(items "")
foreach(line IN LISTS lines)
    if(line MATCHES "^## ([^ ]+) \\(([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\\)$")
        if(NOT section_version STREQUAL "")
            break()
        endif()
        set(section_version "${CMAKE_MATCH_1}")
        set(year "${CMAKE_MATCH_2}")
        set(month "${CMAKE_MATCH_3}")
        set(day "${CMAKE_MATCH_4}")
    elseif(NOT section_version STREQUAL "" AND line MATCHES "^- (.*)$")
        string(APPEND items "  * ${CMAKE_MATCH_1}\n")
    elseif(NOT section_version STREQUAL "" AND line MATCHES "^  +([^ ].*)$")
        string(APPEND items "    ${CMAKE_MATCH_1}\n")
    endif()
endforeach()

if(NOT section_version STREQUAL VERSION)
    message(FATAL_ERROR "${CHANGELOG}: the newest section is '${section_version}', not the "
                        "version being built, ${VERSION}: add a section for ${VERSION}")
endif()
if(items STREQUAL "")
    message(FATAL_ERROR "${CHANGELOG}: the section of ${VERSION} lists no change")
endif()

# The day of the week, which the Debian date names (Zeller's congruence).
math(EXPR m "${month}")
math(EXPR y "${year}")
math(EXPR d "${day}")
if(m LESS 3)
    math(EXPR m "${m} + 12")
    math(EXPR y "${y} - 1")
endif()
math(EXPR weekday "(${d} + (13 * (${m} + 1)) / 5 + ${y} % 100 + (${y} % 100) / 4 + (${y} / 100) / 4 + 5 * (${y} / 100)) % 7")
set(weekdays Sat Sun Mon Tue Wed Thu Fri)
list(GET weekdays ${weekday} weekday_name)
math(EXPR month_index "${month} - 1")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(GET months ${month_index} month_name)

set(entry "tabrivel (${VERSION}-${REVISION}) unstable; urgency=medium\n\n${items}\n")
string(APPEND entry " -- ${MAINTAINER}  ${weekday_name}, ${day} ${month_name} ${year} 12:00:00 +0000\n")

file(MAKE_DIRECTORY "${OUTPUT_DIR}")
file(WRITE "${OUTPUT_DIR}/changelog.Debian" "${entry}")
configure_file("${CHANGELOG}" "${OUTPUT_DIR}/changelog" COPYONLY)
foreach(name changelog.Debian changelog)
    execute_process(COMMAND "${GZIP}" -9nf "${OUTPUT_DIR}/${name}" RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${GZIP} failed on ${OUTPUT_DIR}/${name}")
    endif()
endforeach()
