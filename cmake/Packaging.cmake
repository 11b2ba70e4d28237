# Installation and the Debian package. `cmake --install` puts the program, the
# emulator, the desktop launcher, the mark bitmaps and the start-up
# configuration it gives a new working folder, the desktop entry, the
# icon, the AppStream metadata, the manual pages and the udev rule of the
# analyser's serial adapters in the usual places under the prefix; CPack packs
# the same tree as a .deb (scripts/package).
include(GNUInstallDirs)

set(VELTRIX_APP_ID com.orvane.veltrix)
set(packaging_source ${CMAKE_SOURCE_DIR}/packaging)
set(packaging_output ${CMAKE_BINARY_DIR}/packaging)

# The program reports the package's version and names its desktop entry.
target_compile_definitions(veltrix PRIVATE
  VELTRIX_VERSION="${PROJECT_VERSION}" VELTRIX_APP_ID="${VELTRIX_APP_ID}")

install(TARGETS veltrix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET qx7300-emulator)
  install(TARGETS qx7300-emulator RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The menu's launcher: finds the program, the bitmaps and the start-up
# configuration of a fresh set-up beside itself, for a new working folder.
install(PROGRAMS ${packaging_source}/veltrix-desktop DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES
  ${CMAKE_SOURCE_DIR}/resources/tick.bmp
  ${CMAKE_SOURCE_DIR}/resources/cross.bmp
  ${CMAKE_SOURCE_DIR}/resources/fill.bmp
  ${CMAKE_SOURCE_DIR}/resources/tick@2x.bmp
  ${CMAKE_SOURCE_DIR}/resources/cross@2x.bmp
  ${CMAKE_SOURCE_DIR}/resources/Startup.hac
  DESTINATION ${CMAKE_INSTALL_DATADIR}/veltrix)
install(FILES ${packaging_source}/${VELTRIX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${packaging_source}/${VELTRIX_APP_ID}.metainfo.xml.in
  ${packaging_output}/${VELTRIX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${packaging_output}/${VELTRIX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon: the drawing itself, and bitmaps rendered from it for the sizes
# menus and docks ask for.
set(icon_theme ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${packaging_source}/veltrix.svg
  DESTINATION ${icon_theme}/scalable/apps RENAME ${VELTRIX_APP_ID}.svg)
set(packaging_outputs)
find_program(VELTRIX_RSVG_CONVERT rsvg-convert)
if(VELTRIX_RSVG_CONVERT)
  foreach(size 32 48 64 128 256)
    set(png ${packaging_output}/icons/${size}/${VELTRIX_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${packaging_output}/icons/${size}
      COMMAND ${VELTRIX_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${packaging_source}/veltrix.svg
      DEPENDS ${packaging_source}/veltrix.svg
      VERBATIM)
    list(APPEND packaging_outputs ${png})
    install(FILES ${png} DESTINATION ${icon_theme}/${size}x${size}/apps)
  endforeach()
else()
  message(WARNING "rsvg-convert (librsvg2-bin) not found: only the scalable icon is installed")
endif()

# The udev rule for the analyser's USB serial adapters: ModemManager leaves
# them alone, and the group dialout may open them. udev reads rules from
# /usr/lib/udev/rules.d (and /lib/udev/rules.d), not from other prefixes.
set(VELTRIX_UDEV_RULES_DIR lib/udev/rules.d CACHE STRING
  "Where the udev rule for the analyser's serial adapters goes (relative to the prefix)")
install(FILES ${packaging_source}/60-veltrix-serial.rules DESTINATION ${VELTRIX_UDEV_RULES_DIR})

# Manual pages, compressed as Debian keeps them; veltrix-desktop's page
# points to veltrix's.
foreach(page veltrix qx7300-emulator veltrix-desktop)
  set(gz ${packaging_output}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${packaging_output}/man
    COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" sh ${packaging_source}/${page}.1 ${gz}
    DEPENDS ${packaging_source}/${page}.1
    VERBATIM)
  list(APPEND packaging_outputs ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(veltrix_packaging_files ALL DEPENDS ${packaging_outputs})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltrix)
set(CPACK_PACKAGE_VENDOR Orvane)
set(CPACK_PACKAGE_CONTACT "Veltrix maintainers <veltrix@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "operator station of the Orvane QX7300 power and harmonics analyser")
# The body under that synopsis.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Veltrix talks to the QX7300 analyser over one RS-232 line: it shows the
readings live (meters, waveform, harmonics histogram and table, flicker
tables), runs the analyser's EN61000-3-2 and EN61000-3-3 tests and previews,
prints and saves the reports. The desktop entry starts it in ~/orvane.
The package also holds qx7300-emulator, which plays the analyser on a
pseudo-terminal for training and demonstrations.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the binaries link come from dpkg-shlibdeps; what they load at
# run time is named here: the X11 platform plugin, the fonts the layout
# names (Arial and Courier metrics) and the archive's database drivers.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation, libqt6sql6-sqlite, libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

if(VELTRIX_BUILD_TESTS)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/package ${CMAKE_BINARY_DIR}/tests/package)
endif()
