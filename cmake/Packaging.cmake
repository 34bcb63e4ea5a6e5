# What the Debian package holds, and how CPack builds it (scripts/package.sh runs it).
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(QX44_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/qx44sim)

# Debian wants manual pages and the changelog compressed, reproducibly (no name, no time stamp).
function(qx44_gzip source output)
    add_custom_command(OUTPUT ${output} COMMAND gzip -9n -c ${source} > ${output}
                       DEPENDS ${source} VERBATIM)
endfunction()
set(QX44_MAN_PAGE ${CMAKE_BINARY_DIR}/qx44sim.1.gz)
set(QX44_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
qx44_gzip(${CMAKE_SOURCE_DIR}/docs/qx44sim.1 ${QX44_MAN_PAGE})
qx44_gzip(${CMAKE_SOURCE_DIR}/packaging/changelog ${QX44_CHANGELOG})
add_custom_target(qx44sim_package_files ALL DEPENDS ${QX44_MAN_PAGE} ${QX44_CHANGELOG})

install(TARGETS qx44sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${QX44_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/qx44sim.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES resources/icons/qx44sim.xpm DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/pixmaps)
# Whatever station fonts the repository holds.
file(GLOB QX44_FONT_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/fonts/*.ttf
     ${CMAKE_SOURCE_DIR}/resources/fonts/*.otf ${CMAKE_SOURCE_DIR}/resources/fonts/*.fon
     ${CMAKE_SOURCE_DIR}/resources/fonts/*.pcf ${CMAKE_SOURCE_DIR}/resources/fonts/*.bdf)
install(FILES ${QX44_FONT_FILES} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/fonts/truetype/qx44sim)
# A lab's stations as systemd services (qx44sim@NAME) and its fleet page, where this Debian
# release keeps the units of its packages.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
    pkg_get_variable(QX44_SYSTEMD_UNIT_DIR systemd systemdsystemunitdir)
endif()
if(NOT QX44_SYSTEMD_UNIT_DIR)
    set(QX44_SYSTEMD_UNIT_DIR /lib/systemd/system)
endif()
install(FILES packaging/systemd/qx44sim@.service packaging/systemd/qx44sim-fleet.service
        DESTINATION ${QX44_SYSTEMD_UNIT_DIR})
install(FILES packaging/copyright ${QX44_CHANGELOG} docs/host-protocol.md docs/settings.md
        DESTINATION ${QX44_DOC_DIR})
install(FILES packaging/setting.txt packaging/lab-station.txt packaging/fleet.txt
        DESTINATION ${QX44_DOC_DIR}/examples)
# The program's own copy, from which each user's ~/.config/qx44sim/setting.txt is made: the
# documentation folder may be left out of an installation.
install(FILES packaging/setting.txt DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/qx44sim)

# The Python package for testing hosts, where Debian's python3 finds it, with the metadata that
# makes pytest load its plugin by itself (entry point group pytest11).
set(QX44_PYTHON_DIR lib/python3/dist-packages)
# Every module and data file of the package, none of the interpreter's caches.
install(DIRECTORY python/qx44sim DESTINATION ${QX44_PYTHON_DIR} PATTERN __pycache__ EXCLUDE
        PATTERN "*.pyc" EXCLUDE)
set(QX44_DIST_INFO ${CMAKE_BINARY_DIR}/python/qx44sim-${PROJECT_VERSION}.dist-info)
file(CONFIGURE OUTPUT ${QX44_DIST_INFO}/METADATA CONTENT "Metadata-Version: 2.1
Name: qx44sim
Version: ${PROJECT_VERSION}
Summary: Test QX4400 host applications against the qx44sim station simulator
Requires-Python: >=3.11
")
# Named as the module, so that `-p qx44sim.pytest_plugin` and the entry point load it once.
file(CONFIGURE OUTPUT ${QX44_DIST_INFO}/entry_points.txt CONTENT "[pytest11]
qx44sim.pytest_plugin = qx44sim.pytest_plugin
")
file(CONFIGURE OUTPUT ${QX44_DIST_INFO}/top_level.txt CONTENT "qx44sim
")
install(DIRECTORY ${QX44_DIST_INFO} DESTINATION ${QX44_PYTHON_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qx44sim)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "QX4400 simulator developers <qx44sim@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "QX4400 network text terminal simulator")
# CPack puts the summary first and indents these lines itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Behaves towards a host application like a QX4400 station: it serves the host's\nTCP connection, draws the text screen and status line, sends key presses and\nmouse clicks, passes data to serial ports and a receipt printer, shows the\nhost's pictures and plays its media lists.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The library dependencies come from the program itself; the Qt window plugins, libmpv (opened
# by the player when it is first used) and the screen fonts are loaded at run time, where no
# library dependency shows them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libmpv2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, fonts-wqy-microhei")
# The Python package and its pytest plugin are for test scripts, not for the station itself.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3 (>= 3.11), python3-pytest")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
