# Installing kpfplayer like a desktop program (`cmake --install`) and the Debian package built
# from the same tree (`cpack -G DEB`): the two programs, the sample character, the icons (drawn
# by the sample generator, plus a hand-written scalable one), the desktop entry that lets file
# managers open characters with kpfplayer, the MIME type of project files and the manual pages.
include(GNUInstallDirs)

set(KPF_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(KPF_ICON_DIR ${PROJECT_BINARY_DIR}/icons)
set(KPF_ICON_FILES)
foreach(size 48 256)
  set(icon ${KPF_ICON_DIR}/${size}x${size}/kpfplayer.png)
  add_custom_command(
    OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KPF_ICON_DIR}/${size}x${size}
    COMMAND kpf_sample_generator --icon ${size} ${icon}
    DEPENDS kpf_sample_generator
    COMMENT "Drawing the ${size} px icon")
  list(APPEND KPF_ICON_FILES ${icon})
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(kpf_icons ALL DEPENDS ${KPF_ICON_FILES})

if(TARGET kpfplayer)
  install(TARGETS kpfplayer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS kpftool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# kpfplayer looks for the sample in ../share/kpfplayer next to its own folder.
install(FILES ${KPF_SAMPLE_PROJECT} DESTINATION ${CMAKE_INSTALL_DATADIR}/kpfplayer)
install(FILES ${KPF_PACKAGING_DIR}/kpfplayer.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${KPF_PACKAGING_DIR}/kpfplayer.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KPF_PACKAGING_DIR}/kpfplayer.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${KPF_PACKAGING_DIR}/kpfplayer.1 ${KPF_PACKAGING_DIR}/kpftool.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kpfplayer)
set(CPACK_PACKAGE_VENDOR kpfplayer)
set(CPACK_PACKAGE_CONTACT "kpfplayer developers <kpfplayer@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "player for animated desktop characters")
set(CPACK_PACKAGE_DESCRIPTION
    "kpfplayer shows animated characters that live on the desktop, from character packages (such as a downloaded character .exe) and project files. kpftool inspects, extracts and builds them.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The dependencies are the Debian packages of the libraries the programs link against.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
