# Run by ctest: installs the build tree into PREFIX and checks that the program, the
# companion, the pictures and the example tables land side by side, that the links in
# the bin folder reach them, that the menu entry, its icons and the software centre
# description are there, that nothing was written into the build tree, and that the
# installed companion converts a sample.
cmake_minimum_required(VERSION 3.25)

# require("<if() condition>" message): the condition is evaluated as written.
function(require condition message)
    cmake_language(EVAL CODE "if(${condition})\nset(held TRUE)\nelse()\nset(held FALSE)\nendif()")
    if(NOT held)
        message(FATAL_ERROR "install check: ${message}")
    endif()
endfunction()

file(REMOVE_RECURSE "${PREFIX}")
set(marker "${PREFIX}.started")
file(TOUCH "${marker}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
require("result EQUAL 0" "cmake --install failed:\n${output}")

# Installing writes into its destination only (CMake's own list of installed files
# aside): a read-only or shared build tree must install as well as any other.
find_program(find_tool find)
if(find_tool)
    execute_process(COMMAND ${find_tool} "${BUILD_DIR}" -newer "${marker}" -type f
                            -not -path "${PREFIX}/*" -not -path "${BUILD_DIR}/Testing/*"
                            -not -name "install_manifest*.txt"
                    OUTPUT_VARIABLE written OUTPUT_STRIP_TRAILING_WHITESPACE)
    require("written STREQUAL \"\"" "the install step wrote into the build tree:\n${written}")
endif()
file(REMOVE "${marker}")

set(program_dir "${PREFIX}/${PROGRAM_DIR}")
foreach(file tabrivel tabrivel-convert HAND-M.CUR drag.ico)
    require("EXISTS \"${program_dir}/${file}\"" "${file} is not in ${program_dir}")
endforeach()

file(GLOB samples RELATIVE "${BUILD_DIR}/bin/Samples" "${BUILD_DIR}/bin/Samples/*")
list(LENGTH samples sample_count)
require("sample_count GREATER 4" "the build tree has no Samples folder beside the program")
foreach(sample IN LISTS samples)
    require("EXISTS \"${program_dir}/Samples/${sample}\"" "sample ${sample} was not installed")
endforeach()

if(NOT PROGRAM_DIR STREQUAL BIN_DIR)
    foreach(program tabrivel tabrivel-convert)
        set(link "${PREFIX}/${BIN_DIR}/${program}")
        require("IS_SYMLINK \"${link}\"" "${link} is no link")
        file(REAL_PATH "${link}" target)
        file(REAL_PATH "${program_dir}/${program}" expected)
        require("target STREQUAL expected" "${link} leads to ${target}, not ${expected}")
    endforeach()

    set(desktop "${PREFIX}/${DATA_DIR}/applications/tabrivel.desktop")
    require("EXISTS \"${desktop}\"" "no menu entry at ${desktop}")
    file(READ "${desktop}" entry)
    string(FIND "${entry}" "\nExec=${PREFIX}/${BIN_DIR}/tabrivel\n" at)
    require("at GREATER -1" "the menu entry does not start the installed program:\n${entry}")
    string(FIND "${entry}" "\nIcon=tabrivel\n" at)
    require("at GREATER -1" "the menu entry names no icon")
    foreach(size 16 24 32 48 64 128 256)
        set(icon "${PREFIX}/${DATA_DIR}/icons/hicolor/${size}x${size}/apps/tabrivel.png")
        require("EXISTS \"${icon}\"" "the ${size} pixel menu icon was not installed")
    endforeach()
    require("EXISTS \"${PREFIX}/${DATA_DIR}/icons/hicolor/scalable/apps/tabrivel.svg\""
            "the scalable menu icon was not installed")
    require("EXISTS \"${PREFIX}/${DATA_DIR}/metainfo/com.marlquist.Tabrivel.metainfo.xml\""
            "the software centre description was not installed")
    find_program(validate desktop-file-validate)
    if(validate)
        execute_process(COMMAND ${validate} "${desktop}" RESULT_VARIABLE result
                        OUTPUT_VARIABLE output ERROR_VARIABLE output)
        require("result EQUAL 0" "desktop-file-validate: ${output}")
    endif()
    set(companion "${PREFIX}/${BIN_DIR}/tabrivel-convert")

    # The pages are compressed, and name the folders as installed.
    find_program(gzip gzip REQUIRED)
    string(REPLACE "," ";" pages "${MAN_PAGES}")
    foreach(page IN LISTS pages)
        set(path "${PREFIX}/${MAN_DIR}/man1/${page}.gz")
        require("EXISTS \"${path}\"" "the manual page ${page}.gz was not installed")
        require("NOT EXISTS \"${PREFIX}/${MAN_DIR}/man1/${page}\""
                "the manual page ${page} was left uncompressed")
        execute_process(COMMAND ${gzip} -dc "${path}" RESULT_VARIABLE result
                        OUTPUT_VARIABLE text ERROR_VARIABLE errors)
        require("result EQUAL 0" "${page}.gz does not decompress: ${errors}")
        string(FIND "${text}" ".TH " at)
        require("at GREATER -1" "${page} is no manual page")
        string(REGEX MATCH "<prefix>|@[A-Z_]+@" placeholder "${text}")
        require("placeholder STREQUAL \"\"" "${page} still says ${placeholder}")
    endforeach()
    execute_process(COMMAND ${gzip} -dc "${PREFIX}/${MAN_DIR}/man1/tabrivel.1.gz"
                    OUTPUT_VARIABLE text)
    string(FIND "${text}" "\n.I ${PREFIX}/${PROGRAM_DIR}/Samples/\n" at)
    require("at GREATER -1" "tabrivel(1) does not name the installed example tables, ${PREFIX}/${PROGRAM_DIR}/Samples/")
    set(completion "${PREFIX}/${DATA_DIR}/bash-completion/completions/tabrivel-convert")
    require("EXISTS \"${completion}\"" "the bash completion was not installed")
    find_program(bash bash)
    if(bash)
        execute_process(COMMAND ${bash} -c "source '${completion}' && complete -p tabrivel-convert"
                        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
        require("result EQUAL 0" "the bash completion does not load: ${output}")
    endif()
else()
    set(companion "${program_dir}/tabrivel-convert")
endif()

# Started through its link, the companion still converts an installed sample.
execute_process(COMMAND "${companion}" "${program_dir}/Samples/CUSTOMER.DBF"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
require("result EQUAL 0" "the installed companion failed: ${errors}")
string(FIND "${output}" "INSERT INTO" at)
require("at GREATER -1" "the installed companion wrote no statements")
message(STATUS "install check passed: ${PREFIX}")
