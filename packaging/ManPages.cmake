# The manual pages and the companion's bash completion (Linux and other Unix). The
# companion's page is made from its --help and --version at build time, so it cannot
# fall behind its options; the window's page is written here. Both are installed
# compressed, as the manual reader expects; the window's page names the folder of the
# example tables as installed, which is known only when installing.
find_program(HELP2MAN help2man)
find_program(GZIP gzip REQUIRED)
if(HELP2MAN)
    set(convert_page ${CMAKE_CURRENT_BINARY_DIR}/tabrivel-convert.1)
    add_custom_command(OUTPUT ${convert_page}
        COMMAND ${HELP2MAN} --no-info --section=1
                "--name=convert dBase and FoxPro tables into SQL scripts or databases"
                --output=${convert_page} $<TARGET_FILE:tabrivel-convert>
        DEPENDS tabrivel-convert
        COMMENT "Writing the manual page of tabrivel-convert"
        VERBATIM)
    add_custom_target(tabrivel_man_pages ALL DEPENDS ${convert_page})
    set(TABRIVEL_MAN_PAGES tabrivel.1,tabrivel-convert.1)
else()
    message(WARNING "help2man not found: tabrivel-convert gets no manual page "
                    "(scripts/install-deps.sh installs it)")
    set(TABRIVEL_MAN_PAGES tabrivel.1)
endif()

set(man_sources ${CMAKE_CURRENT_SOURCE_DIR}/tabrivel.1)
if(HELP2MAN)
    list(APPEND man_sources ${convert_page})
endif()
foreach(source IN LISTS man_sources)
    get_filename_component(page ${source} NAME)
    install(CODE "
        set(TABRIVEL_SAMPLES_FOLDER \"\${CMAKE_INSTALL_PREFIX}/${TABRIVEL_PROGRAM_DIR}/Samples/\")
        if(DEFINED ENV{TABRIVEL_RELOCATABLE})
            set(TABRIVEL_SAMPLES_FOLDER
                \"${TABRIVEL_PROGRAM_DIR}/Samples/ in the folder the archive was unpacked into\")
        endif()
        set(man1 \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_MANDIR}/man1\")
        message(STATUS \"Installing: \${man1}/${page}.gz\")
        configure_file(\"${source}\" \"\${man1}/${page}\" @ONLY)
        execute_process(COMMAND \"${GZIP}\" -9nf \"\${man1}/${page}\" RESULT_VARIABLE packed)
        if(NOT packed EQUAL 0)
            message(FATAL_ERROR \"${GZIP} failed on \${man1}/${page}\")
        endif()
        list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${man1}/${page}.gz\")")
endforeach()

install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/tabrivel-convert.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME tabrivel-convert)
