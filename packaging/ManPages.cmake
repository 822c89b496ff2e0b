# The manual pages and the companion's bash completion (Linux and other Unix). The
# companion's page is made from its --help and --version at build time, so it cannot
# fall behind its options; the window's page is written here.
find_program(HELP2MAN help2man)
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
    install(FILES ${convert_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    set(TABRIVEL_MAN_PAGES tabrivel.1,tabrivel-convert.1)
else()
    message(WARNING "help2man not found: tabrivel-convert gets no manual page "
                    "(scripts/install-deps.sh installs it)")
    set(TABRIVEL_MAN_PAGES tabrivel.1)
endif()
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/tabrivel.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/tabrivel-convert.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME tabrivel-convert)
