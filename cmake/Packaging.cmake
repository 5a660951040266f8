# Install rules and the Debian package. `cmake --install` puts the programs, their desktop
# integration (menu entry, the *.qv3 file type, icons, AppStream data), the man pages, the HTML
# manual with the examples and the systemd user unit under CMAKE_INSTALL_PREFIX; `cpack -G DEB`
# makes the package quorvane from the same rules. scripts/build-deb.sh does both from a clean
# checkout; scripts/check-deb.sh checks the result.
include(GNUInstallDirs)

set(QUORVANE_PACKAGE_DIR ${CMAKE_BINARY_DIR}/packaging)
# Debian wants /usr/share/doc/<package>; GNUInstallDirs would name the folder after the project.
set(QUORVANE_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/quorvane)
# systemd looks for user units in <prefix>/lib/systemd/user, whatever the library folder is.
set(QUORVANE_USER_UNIT_DIR lib/systemd/user)
set(QUORVANE_DEB_RELEASE 1)
set(QUORVANE_DEB_VERSION ${PROJECT_VERSION}-${QUORVANE_DEB_RELEASE})
file(MAKE_DIRECTORY ${QUORVANE_PACKAGE_DIR})

install(TARGETS quorvane quorvane-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Desktop integration: the same texts the program registers for itself when it runs from a
# build folder (tests/platform/DesktopRegistrationGuiTest.cpp keeps them equal).
install(FILES ${CMAKE_SOURCE_DIR}/resources/quorvane.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/quorvane.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/mime/packages)
install(FILES ${CMAKE_SOURCE_DIR}/resources/org.quorvane.Quorvane.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/quorvane.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/quorvane-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps
            RENAME quorvane.png)
endforeach()

# The user unit runs the installed program, not the /usr/local one of the example.
set(unit_source ${CMAKE_SOURCE_DIR}/examples/quorvane-headless@.service)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${unit_source})
file(READ ${unit_source} unit_text)
string(REPLACE "/usr/local/bin/quorvane" "${CMAKE_INSTALL_FULL_BINDIR}/quorvane"
       unit_text "${unit_text}")
string(REPLACE "Install and start with\n#   cp quorvane-headless@.service ~/.config/systemd/user/\n#   systemctl --user daemon-reload\n"
       "Installed with the program; start with\n" unit_text "${unit_text}")
file(WRITE ${QUORVANE_PACKAGE_DIR}/quorvane-headless@.service.new "${unit_text}")
file(COPY_FILE ${QUORVANE_PACKAGE_DIR}/quorvane-headless@.service.new
     ${QUORVANE_PACKAGE_DIR}/quorvane-headless@.service ONLY_IF_DIFFERENT)
install(FILES ${QUORVANE_PACKAGE_DIR}/quorvane-headless@.service
        DESTINATION ${QUORVANE_USER_UNIT_DIR})

# The manual's pages. In the source tree they take the icon from resources/; installed, from
# the icon theme folder two levels above the doc folder.
file(GLOB manual_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/*.html)
set(installed_icon "../../icons/hicolor/128x128/apps/quorvane.png")
set(installed_pages)
foreach(manual_source ${manual_sources})
    get_filename_component(page ${manual_source} NAME)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${manual_source})
    file(READ ${manual_source} manual_text)
    string(REPLACE "../resources/icons/quorvane-128.png" "${installed_icon}"
           manual_text "${manual_text}")
    string(REPLACE "\"${installed_icon}\"" "" other_references "${manual_text}")
    if(other_references MATCHES "(src|href)=\"\\.\\./")
        message(FATAL_ERROR "docs/${page} refers to a file outside docs/ that the installed "
                            "manual does not have: teach cmake/Packaging.cmake where it is installed")
    endif()
    file(WRITE ${QUORVANE_PACKAGE_DIR}/${page}.new "${manual_text}")
    file(COPY_FILE ${QUORVANE_PACKAGE_DIR}/${page}.new ${QUORVANE_PACKAGE_DIR}/${page}
         ONLY_IF_DIFFERENT)
    list(APPEND installed_pages ${QUORVANE_PACKAGE_DIR}/${page})
endforeach()
install(FILES ${installed_pages} ${CMAKE_SOURCE_DIR}/docs/style.css
        DESTINATION ${QUORVANE_DOC_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/screenshots DESTINATION ${QUORVANE_DOC_DIR}
        FILES_MATCHING PATTERN "*.png")
install(FILES ${CMAKE_SOURCE_DIR}/packaging/README.Debian ${CMAKE_SOURCE_DIR}/packaging/copyright
        DESTINATION ${QUORVANE_DOC_DIR})
file(GLOB example_configs ${CMAKE_SOURCE_DIR}/examples/*.qv3)
install(FILES ${example_configs} ${CMAKE_SOURCE_DIR}/examples/README.md
              ${CMAKE_SOURCE_DIR}/packaging/60-quorvane-instrument.rules
        DESTINATION ${QUORVANE_DOC_DIR}/examples)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/quorvane.doc-base
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc-base RENAME quorvane)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME quorvane)

# Man pages and the changelog, compressed the way Debian wants them (gzip -9, no name or time
# stamp in the header, so that two builds give the same bytes).
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.Debian.in
               ${QUORVANE_PACKAGE_DIR}/changelog.Debian @ONLY)
set(compressed "")
foreach(source ${CMAKE_SOURCE_DIR}/resources/man/quorvane.1
               ${CMAKE_SOURCE_DIR}/resources/man/quorvane-sim.1
               ${QUORVANE_PACKAGE_DIR}/changelog.Debian)
    get_filename_component(name ${source} NAME)
    add_custom_command(OUTPUT ${QUORVANE_PACKAGE_DIR}/${name}.gz
        COMMAND sh -c "gzip -9nc \"$0\" > \"$1\"" ${source} ${QUORVANE_PACKAGE_DIR}/${name}.gz
        DEPENDS ${source} VERBATIM)
    list(APPEND compressed ${QUORVANE_PACKAGE_DIR}/${name}.gz)
endforeach()
add_custom_target(quorvane_package_files ALL DEPENDS ${compressed})
install(FILES ${QUORVANE_PACKAGE_DIR}/quorvane.1.gz ${QUORVANE_PACKAGE_DIR}/quorvane-sim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QUORVANE_PACKAGE_DIR}/changelog.Debian.gz DESTINATION ${QUORVANE_DOC_DIR})

# ---------------------------------------------------------------------------
# cpack -G DEB
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR "Quorvane developers")
set(CPACK_PACKAGE_CONTACT "Quorvane developers <quorvane@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY quorvane)
# The package installs where the build was configured for (scripts/build-deb.sh: /usr), so
# that the paths compiled into files (the unit's ExecStart) hold.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "connects a serial instrument to desktop programs")
# Lines of at most 80 columns, as Debian's tools show them; an empty line is a paragraph break.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Quorvane reads a serial (RS-232 or USB-serial) instrument such as a balance,"
    "caliper, pH meter or barcode reader, cuts its bytes into records and fields"
    "as a configuration (*.qv3 file) says, filters, converts, computes and formats"
    "the fields, and hands each record on: typed as keystrokes into a chosen"
    "window (X11), published to other programs on the D-Bus session bus, or"
    "appended to a log file. It also talks back to the device with"
    "acknowledgements, timed strings, buttons and hot keys."
    ""
    "Configurations are made in a setup window and tried in Test mode; a"
    "configuration also runs without any window, as a systemd user service. The"
    "package includes quorvane-sim, a simulated instrument on a pseudo-terminal"
    "for trying the program without a device.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${QUORVANE_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quorvane developers <quorvane@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quorvane.example.org/")
# The libraries come from the binaries (dpkg-shlibdeps); Qt's xcb platform plugin is in
# libqt6gui6. Help opens the manual through xdg-open; the Japanese interface uses Qt's own
# translations for the standard dialogs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-translations-l10n")
# Directories are owned by root and 0755 whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
