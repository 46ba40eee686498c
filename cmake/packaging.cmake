# Install rules and packages: a Debian package of the Linux programs, a ZIP of corelens.exe.
include(GNUInstallDirs)

# The version the programs print (k_version_text); the project version has no letter.
set(CORELENS_VERSION_TEXT 1.13f)
set(CORELENS_MAINTAINER "Corelens developers <corelens@example.org>")

set(CPACK_PACKAGE_NAME corelens)
set(CPACK_PACKAGE_VERSION ${CORELENS_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR "Corelens developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "processor identifier for x86 processors of 1993 to 2001")
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
    # Debian wants manual pages and the changelog compressed with gzip -9n.
    set(changelog ${CMAKE_BINARY_DIR}/changelog)
    file(WRITE ${changelog}
        "corelens (${CORELENS_VERSION_TEXT}) unstable; urgency=medium\n\n"
        "  * Linux package: corelens, corelens-cpuid and corelens-gui, manual pages.\n\n"
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

    install(TARGETS corelens corelens-cpuid RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${PROJECT_SOURCE_DIR}/README.md ${compressed} ${PROJECT_SOURCE_DIR}/docs/debian/copyright
            DESTINATION ${CMAKE_INSTALL_DOCDIR})

    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CORELENS_MAINTAINER})
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
    # The summary above is the synopsis line; this is the extended description.
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
        "Corelens asks the processor about itself with CPUID, measures its clock,\n"
        "names the model from built-in tables and reports vendor, signature,\n"
        "feature flags and cache sizes, as text on the terminal or as text and\n"
        "HTML report files that never overwrite an existing file.\n"
        "corelens-cpuid records a processor's CPUID leaves and reports any\n"
        "recorded processor.")
    string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
endif()

include(CPack)
