# What `cmake --install` puts where, and the Debian package CPack makes of it.

# The manual page is installed compressed, as Debian wants it.
find_program(GZIP gzip)
set(raybox_man ${CMAKE_CURRENT_BINARY_DIR}/ray-box-collision.1.gz)
add_custom_command(OUTPUT ${raybox_man}
  COMMAND ${GZIP} -9nc ${CMAKE_CURRENT_SOURCE_DIR}/docs/ray-box-collision.1 > ${raybox_man}
  DEPENDS docs/ray-box-collision.1)
add_custom_target(raybox_manual_page ALL DEPENDS ${raybox_man})

# The project's own version with a Debian changelog entry of it, which the package needs;
# dated when it is built (SOURCE_DATE_EPOCH, where set, for a reproducible build).
set(CPACK_PACKAGE_CONTACT "The ray-box collision authors <authors@ray-box-collision.invalid>")
string(TIMESTAMP RAYBOX_BUILD_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(packaging/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/changelog @ONLY)
set(raybox_changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${raybox_changelog}
  COMMAND ${GZIP} -9nc ${CMAKE_CURRENT_BINARY_DIR}/changelog > ${raybox_changelog}
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog)
add_custom_target(raybox_changelog ALL DEPENDS ${raybox_changelog})

set(raybox_doc ${CMAKE_INSTALL_DATADIR}/doc/ray-box-collision)
install(TARGETS ray-box-collision RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${raybox_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/ray-box-collision.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/ray-box-collision.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)
install(FILES README.md CHANGELOG.md ${raybox_changelog} DESTINATION ${raybox_doc})
# The licence as Debian reads it; the README's pictures keep their relative paths.
install(FILES packaging/copyright DESTINATION ${raybox_doc})
install(FILES docs/hit.png docs/miss.png docs/inside.png docs/crossed.png
  docs/teach-hit.png docs/teach-inside.png docs/teach-tie.png docs/teach-crossed.png
  docs/teach-behind.png docs/teach-zero.png docs/teach-beside.png docs/teach-normalised.png
  docs/teach-far.png docs/teach-check-y.png docs/teach-on-bound.png docs/teach-framed.png
  docs/teach-walk.gif docs/web.png docs/web-phone.png docs/teach-slab.png
  docs/teach-slab-face.png docs/teach-slab-boundary.png docs/line-slab-miss.png
  docs/line-one-point.png docs/line-3d.png docs/predict.png docs/web-predicted.png
  docs/web-phone-predicted.png docs/space-hit.png docs/space-slab-miss.png
  docs/space-corpus.png
  docs/command-line.md docs/architecture.md docs/development.md docs/behaviour.md
  docs/gallery.md
  DESTINATION ${raybox_doc}/docs)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ray-box-collision)
set(CPACK_PACKAGE_VENDOR "The ray-box collision authors")
# The project has no mail address of its own; .invalid (set above) says so rather than
# inventing one.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive demonstration of a ray meeting a box")
set(CPACK_PACKAGE_DESCRIPTION "One window draws an axis-aligned box, runs a ray-box
intersection test every frame and shows the outcome: the hit point with the
segment to it, a miss, or a start inside the box. Drags move the box's faces; a
menu and keys choose what to edit; a console dialogue sets the ray.

On the command line, --print answers without a window and --explain gives the
test's own steps, for people who learn or teach ray-box intersection.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
