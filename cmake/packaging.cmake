# Install rules and packages: Debian packages of the Linux programs, a ZIP of corelens.exe.
include(GNUInstallDirs)

# The version the programs print (k_version_text); the project version has no letter.
set(CORELENS_VERSION_TEXT 1.13f)
set(CORELENS_MAINTAINER "Corelens developers <corelens@example.org>")

set(CPACK_PACKAGE_NAME corelens)
set(CPACK_PACKAGE_VERSION ${CORELENS_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR "Corelens developers")
set(CPACK_STRIP_FILES ON)

if(WIN32)
    # The read-me travels with a Windows program: Windows-1252 and CR LF line ends.
    configure_file(${PROJECT_SOURCE_DIR}/docs/windows/README.TXT.in ${CMAKE_BINARY_DIR}/README.utf8 @ONLY)
    set(readme ${CMAKE_BINARY_DIR}/README.TXT)
    add_custom_command(OUTPUT ${readme}
        COMMAND sh -c "iconv -f UTF-8 -t WINDOWS-1252 README.utf8 | sed 's/$/\\r/' > README.TXT"
        DEPENDS ${CMAKE_BINARY_DIR}/README.utf8
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR} VERBATIM)
    add_custom_target(windows_readme ALL DEPENDS ${readme})
    install(TARGETS corelens RUNTIME DESTINATION .)
    install(FILES ${readme} DESTINATION .)

    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME corelens-${CORELENS_VERSION_TEXT}-win32)
else()
    # Two packages: corelens (the command-line programs) and corelens-gui (the window, which
    # needs Qt). Each carries its own manual pages, copyright and changelog (gzip -9n, as
    # Debian wants them).
    set(changelog ${CMAKE_BINARY_DIR}/changelog)
    file(WRITE ${changelog}
        "corelens (${CORELENS_VERSION_TEXT}) unstable; urgency=medium\n\n"
        "  * Two packages: corelens (corelens, corelens-cpuid) and corelens-gui.\n\n"
        " -- ${CORELENS_MAINTAINER}  Mon, 07 Dec 2026 00:00:00 +0000\n")
    set(compressed ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory packaging
        COMMAND sh -c "gzip -9n -c changelog > packaging/changelog.gz"
        DEPENDS ${changelog} WORKING_DIRECTORY ${CMAKE_BINARY_DIR} VERBATIM)
    set(man_pages)
    foreach(page corelens.1 corelens-cpuid.1 corelens-gui.1)
        set(source ${PROJECT_SOURCE_DIR}/docs/man/${page})
        add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${page}.gz
            COMMAND ${CMAKE_COMMAND} -E make_directory packaging
            COMMAND sh -c "gzip -9n -c \"$0\" > packaging/${page}.gz" ${source}
            DEPENDS ${source} WORKING_DIRECTORY ${CMAKE_BINARY_DIR} VERBATIM)
        list(APPEND man_pages ${CMAKE_BINARY_DIR}/packaging/${page}.gz)
    endforeach()
    add_custom_target(packaging_files ALL DEPENDS ${compressed} ${man_pages})

    # A program stripped as Debian strips it: its symbols, and the compilers' notes in .comment
    # and .note.
    function(corelens_install_program target component)
        install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${component})
        install(CODE "if(CMAKE_INSTALL_DO_STRIP)
                execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${target}\")
            endif()" COMPONENT ${component})
    endfunction()

    set(packaged corelens corelens-cpuid packaging_files)
    corelens_install_program(corelens corelens)
    corelens_install_program(corelens-cpuid corelens)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/corelens.1.gz ${CMAKE_BINARY_DIR}/packaging/corelens-cpuid.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT corelens)
    install(FILES ${PROJECT_SOURCE_DIR}/README.md ${compressed} ${PROJECT_SOURCE_DIR}/docs/debian/copyright
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/corelens COMPONENT corelens)
    install(FILES ${PROJECT_SOURCE_DIR}/docs/debian/corelens.lintian-overrides
            DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME corelens COMPONENT corelens)
    set(CPACK_COMPONENTS_ALL corelens)

    if(TARGET corelens-gui)
        list(APPEND packaged corelens-gui)
        corelens_install_program(corelens-gui gui)
        install(FILES ${CMAKE_BINARY_DIR}/packaging/corelens-gui.1.gz
                DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT gui)
        install(FILES ${compressed} ${PROJECT_SOURCE_DIR}/docs/debian/copyright
                DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/corelens-gui COMPONENT gui)
        install(FILES ${PROJECT_SOURCE_DIR}/resources/corelens-gui.desktop
                DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT gui)
        set(icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
        install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/corelens-gui.svg
                DESTINATION ${icons}/scalable/apps COMPONENT gui)
        foreach(size 16 22 24 32 48 64 128 256)
            install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/corelens-gui-${size}.png
                    DESTINATION ${icons}/${size}x${size}/apps RENAME corelens-gui.png COMPONENT gui)
        endforeach()
        list(APPEND CPACK_COMPONENTS_ALL gui)
    endif()
    # What make package builds: the packaged programs and files, not the tests (cpack itself
    # builds nothing).
    set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
    add_custom_target(packaged DEPENDS ${packaged})

    set(CPACK_GENERATOR DEB)
    set(CPACK_DEB_COMPONENT_INSTALL ON)
    set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CORELENS_MAINTAINER})
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
    set(CPACK_DEBIAN_CORELENS_PACKAGE_NAME corelens)
    set(CPACK_DEBIAN_GUI_PACKAGE_NAME corelens-gui)
    set(CPACK_COMPONENT_GUI_DEPENDS corelens)
    # Each description: the synopsis line, then the extended description.
    set(CPACK_DEBIAN_CORELENS_DESCRIPTION
        "processor identifier for x86 processors of 1993 to 2001\n"
        "Corelens asks the processor about itself with CPUID, measures its clock,\n"
        "names the model from built-in tables of 1993-2001 processors and reports\n"
        "vendor, signature, feature flags and cache sizes, as text on the terminal\n"
        "or as text and HTML report files that never overwrite an existing file.\n"
        "It runs on any later processor too, which its tables name by vendor.\n"
        "corelens-cpuid records a processor's CPUID leaves and reports any\n"
        "recorded processor.")
    set(CPACK_DEBIAN_GUI_DESCRIPTION
        "processor identifier for x86 processors of 1993 to 2001 - window\n"
        "corelens-gui shows what corelens finds in three small windows: the\n"
        "processor's name, speed, vendor, family, model and stepping, its cache\n"
        "sizes, instruction set extensions and a sortable list of feature flags,\n"
        "and an animated about box. The results go to the clipboard or to a text\n"
        "or HTML file.")
    # The lines above are a list; the description has no semicolon of its own.
    foreach(component CORELENS GUI)
        string(REPLACE ";" "" CPACK_DEBIAN_${component}_DESCRIPTION "${CPACK_DEBIAN_${component}_DESCRIPTION}")
    endforeach()
endif()

include(CPack)
