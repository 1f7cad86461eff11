# The Debian package (`cpack -G DEB` in a Release build): what cmake/Install.cmake installs, under /usr.
set(TAVELO_PACKAGE_MAINTAINER "The Tavelo developers <tavelo@packages.invalid>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavelo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tavelo developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "set up the picture of a webcam")
# The long description as dpkg shows it: lines under 80 columns, no semicolons (CMake's list separator).
set(CPACK_PACKAGE_DESCRIPTION "\
Tavelo shows a webcam's image and lens properties (brightness, contrast,
exposure, focus, gain, white balance, zoom and more) as rows with a slider,
the current value and an automatic mode, and sends every change to the
camera at once. Settings can be saved to a file and loaded again, from the
window or the command line. Cameras are reached through Video4Linux2, and
simulated cameras stand in when none is attached.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAVELO_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries the program links come from dpkg-shlibdeps (the X11 window plugin comes with Qt's GUI library).
# Loaded at run time instead: the font the layout is measured in, and Qt's native Wayland plugin (without
# it the window runs through XWayland).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-crosextra-carlito")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

include(CPack)
