# cmake --install: the three programs into bin/ (the help page, desktop entry, icon, metadata
# and manual page are installed by data/); and CPack's Debian package of all of it, which
# installs with "apt install ./velmora_*.deb".
include(GNUInstallDirs)
install(TARGETS velmora velmora-cli velmora-logreceiver RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Completion of velmora-cli's commands, options and files, where bash-completion looks for it.
install(FILES ${CMAKE_SOURCE_DIR}/data/velmora-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME velmora-cli)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "Velmora developers <velmora@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "corrects the date and time of digital photographs")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Velmora lists the pictures of a folder with their current times, shifts the\n"
    "times of the selected files by seconds, minutes, hours, days, months or years,\n"
    "or takes them from each photograph's EXIF date, and writes the new times into\n"
    "the files' time stamps and, when asked, into the EXIF date tags inside the\n"
    "JPEG files. The interface is in Czech. velmora-cli lists, reads, rewrites and\n"
    "shifts the EXIF dates from the command line, and undoes any of its writes.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # velmora_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VELMORA_HOMEPAGE}")
# The libraries the programs link (libturbojpeg, libpng, libwebp, libheif among them) come from
# dpkg-shlibdeps; the window also needs the toolkit's display plugins, the preview of HEIC and
# AVIF pictures libheif's HEVC and AV1 decoders (separate plugin packages from libheif 1.16 on,
# built into libheif1 before), and the help button a program that opens web pages.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, libheif-plugin-libde265 | libheif1 (<< 1.16), libheif-plugin-dav1d | libheif-plugin-aomdec | libheif1 (<< 1.16)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
