# The Debian package: `cpack -G DEB` in the build folder. Its dependencies
# are computed from the installed programs' libraries (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME tavlo)
set(CPACK_PACKAGE_VENDOR "Varnel Prototyping")
set(CPACK_PACKAGE_CONTACT "Varnel Prototyping <tavlo@varnel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "compact desktop audio mixer that stays on top")
# Lines of the long description; CPack indents them for the control file.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Tavlo sets the volumes of the sound cards from compact, skinned, borderless"
  "windows that stay on top and wait in the tray: a playback mixer with treble"
  "and bass, a recording mixer where the recorded source is chosen, and a VU"
  "window. The volume keys and the wheel on its tray icon set the master."
  "It drives the desktop's sound server (PulseAudio or PipeWire) or ALSA sound"
  "cards directly, and comes with simulated demo cards."
  "tavlo-mixerctl lists, reads, sets and watches the same controls from a"
  "terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
