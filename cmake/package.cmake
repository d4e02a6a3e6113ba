# `make package`: a Debian package of the installed tree (cpack -G DEB); a zip elsewhere.
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR "Quorvel developers")
set(CPACK_PACKAGE_CONTACT "Quorvel developers <quorvel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Morse telegraphy trainer in Japanese kana and Latin code")
set(CPACK_PACKAGE_DESCRIPTION
  "Quorvel drills telegrams on a telegram form for learners preparing for\n\
radio-operator examinations, in the Japanese kana code (wabun) and the\n\
international Latin code: receiving, with Morse audio coloured by simulated\n\
shortwave band conditions, and sending with the keyboard or a telegraph key\n\
on a serial port, every character decoded and judged.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "")
  # The shared libraries (Qt 6, SDL2, the C++ runtime) come from dpkg-shlibdeps; what is loaded
  # at run time without being linked is named here: the Qt platform plugins, Qt's Japanese
  # translations and the fonts.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-noto-cjk")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-kouzan-mouhitsu")
endif()

include(CPack)
