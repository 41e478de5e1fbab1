# Installing and the Debian package (`cpack --config CPackConfig.cmake` in the build folder,
# `make package` from the top). Installed: the programs and their man pages, the desktop entry with
# its icon and AppStream metainfo, quillet-cli's bash completion, and the copyright and changelog a
# Debian package carries.
include(GNUInstallDirs)

set(QUILLET_PACKAGE_MAINTAINER "Quillet! developers <quillet@ostrakon.example>"
    CACHE STRING "Maintainer named in the Debian package and its changelog")
set(QUILLET_APPSTREAM_ID com.ostrakon.quillet)
# The release date (2026-12-07) stamps the generated man pages, so a rebuild makes the same files.
set(quillet_release_epoch 1796601600)
set(quillet_package_dir ${PROJECT_BINARY_DIR}/package-files)
set(quillet_man_dir ${CMAKE_INSTALL_MANDIR}/man1)
find_program(QUILLET_HELP2MAN help2man)

# Debian wants man pages and the changelog compressed, without the time stamp gzip would store.
set(quillet_compressed_files)
function(quillet_install_compressed source destination)
    get_filename_component(name ${source} NAME)
    set(compressed ${quillet_package_dir}/${name}.gz)
    add_custom_command(OUTPUT ${compressed} COMMAND gzip -9n -c ${source} > ${compressed} DEPENDS ${source} ${ARGN})
    install(FILES ${compressed} DESTINATION ${destination})
    set(quillet_compressed_files ${quillet_compressed_files} ${compressed} PARENT_SCOPE)
endfunction()

# The man page of a program that only prints its usage, written by help2man from that usage.
function(quillet_install_usage_man_page target summary)
    if(NOT QUILLET_HELP2MAN)
        message(WARNING "help2man not found: no man page for ${target} (scripts/install-deps.sh installs it)")
        return()
    endif()
    set(page ${quillet_package_dir}/${target}.1)
    add_custom_command(
        OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${quillet_release_epoch} ${QUILLET_HELP2MAN} --no-info
                --version-string=${PROJECT_VERSION} --name=${summary} --output=${page} $<TARGET_FILE:${target}>
        DEPENDS ${target}
        VERBATIM)
    quillet_install_compressed(${page} ${quillet_man_dir})
    set(quillet_compressed_files ${quillet_compressed_files} PARENT_SCOPE)
endfunction()

install(TARGETS quillet-cli quillet-simcard RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(QUILLET_BUILD_UI)
    install(TARGETS quillet RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES data/quillet.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES data/quillet.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES data/${QUILLET_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

if(NOT CMAKE_CROSSCOMPILING)
    quillet_install_compressed(${PROJECT_BINARY_DIR}/src/main/quillet-cli.1 ${quillet_man_dir} quillet-cli-docs)
    install(FILES ${PROJECT_BINARY_DIR}/src/main/quillet-cli.bash
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME quillet-cli)
    quillet_install_usage_man_page(quillet-simcard "create, show and adjust card files of the virtual SIM card")
    if(QUILLET_BUILD_UI)
        quillet_install_usage_man_page(quillet "editor for the phone book, messages and settings of GSM SIM cards")
    endif()
endif()

configure_file(data/package/changelog.in ${quillet_package_dir}/changelog @ONLY)
set(quillet_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/quillet)
quillet_install_compressed(${quillet_package_dir}/changelog ${quillet_doc_dir})
install(FILES data/package/copyright DESTINATION ${quillet_doc_dir})
# A sanitizer build is never packaged, and its programs would report at exit what help2man reads.
if(QUILLET_SANITIZE)
    add_custom_target(quillet-package-files DEPENDS ${quillet_compressed_files})
else()
    add_custom_target(quillet-package-files ALL DEPENDS ${quillet_compressed_files})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillet)
set(CPACK_PACKAGE_VENDOR Ostrakon)
set(CPACK_PACKAGE_CONTACT ${QUILLET_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the phone book, messages and settings of GSM SIM cards")
# Lines of the long description stay under 80 columns; an empty line starts a paragraph.
set(CPACK_PACKAGE_DESCRIPTION [=[
Quillet! reads a SIM card through a smart-card reader (PC/SC or serial),
lets you edit its phone book, fixed dialling numbers, SMS messages and
parameters and network lists, and writes them back. It manages PIN and PIN2,
backs a whole card up to one file and restores it, prints, checks and
repairs cards, and reads prepaid telephone chip cards.

The package holds the windowed program quillet, the command-line tool
quillet-cli and quillet-simcard, which writes card files for the built-in
virtual SIM card, among them the demo card.]=])
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUILLET_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# pcsc-lite is loaded only when a PC/SC reader is opened, so dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pcscd, libpcsclite1")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "vsmartcard-vpcd")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
