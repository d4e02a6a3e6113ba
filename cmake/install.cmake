# What `cmake --install` puts in the prefix: the programs, the generator files (installed by
# generation/), and the desktop integration.
include(GNUInstallDirs)

set(qv_app_id org.quorvel.Quorvel)
set(qv_res ${PROJECT_SOURCE_DIR}/resources)

install(TARGETS quorvel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(WIN32)
  install(FILES ${qv_res}/quorvel-cli.1 ${qv_res}/quorvel.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  # Compressed (gzip -n: no time stamp, so builds are reproducible) as Debian installs man pages
  # and the changelog; the copyright file goes beside it.
  set(qv_doc ${CMAKE_BINARY_DIR}/doc)
  configure_file(${qv_res}/debian/changelog.in ${qv_doc}/changelog @ONLY)
  add_custom_command(OUTPUT ${qv_doc}/quorvel-cli.1.gz ${qv_doc}/quorvel.1.gz ${qv_doc}/changelog.gz
    COMMAND gzip -9nc ${qv_res}/quorvel-cli.1 > ${qv_doc}/quorvel-cli.1.gz
    COMMAND gzip -9nc ${qv_res}/quorvel.1 > ${qv_doc}/quorvel.1.gz
    COMMAND gzip -9nc ${qv_doc}/changelog > ${qv_doc}/changelog.gz
    DEPENDS ${qv_res}/quorvel-cli.1 ${qv_res}/quorvel.1 ${qv_doc}/changelog)
  add_custom_target(quorvel_docs ALL
    DEPENDS ${qv_doc}/quorvel-cli.1.gz ${qv_doc}/quorvel.1.gz ${qv_doc}/changelog.gz)
  install(FILES ${qv_doc}/quorvel-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${qv_doc}/changelog.gz ${qv_res}/debian/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvel)
endif()

# The window is optional (QUORVEL_BUILD_GUI); its desktop files go with it.
if(TARGET quorvel)
  install(TARGETS quorvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(NOT WIN32)
    install(FILES ${qv_doc}/quorvel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${qv_res}/${qv_app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${qv_res}/${qv_app_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    set(qv_icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
    install(FILES ${qv_res}/icons/quorvel.svg DESTINATION ${qv_icons}/scalable/apps)
    foreach(size 48 256)
      install(FILES ${qv_res}/icons/quorvel-${size}.png DESTINATION ${qv_icons}/${size}x${size}/apps
        RENAME quorvel.png)
    endforeach()
  endif()
endif()
