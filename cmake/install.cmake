# What `cmake --install` puts where (GNU layout; DESTDIR and --prefix work):
# the game and its tools, the resources in the data folder, the desktop entry,
# the icons, the AppStream metainfo and the manual pages.

# The reverse-DNS name a desktop knows the game by: desktop entry, icon, metainfo.
set(KARROWEN_APP_ID org.karrowen.Karrowen)
set(KARROWEN_RESOURCES_FOR_MAN ${CMAKE_INSTALL_FULL_DATADIR}/karrowen/resources/)
set(PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)

install(TARGETS karrowen karrowen-gen karrowen-view karrowen-play karrowen-bench
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Playing a build writes settings, ticks and scores into its resource folder,
# which are the developer's own: the hand-written files are installed from the
# source tree (those with the version filled in from the build), the generated
# ones from the build, and the score list starts empty.
set(HAND_WRITTEN_DIR ${PROJECT_SOURCE_DIR}/resources)
file(GLOB_RECURSE HAND_WRITTEN RELATIVE ${HAND_WRITTEN_DIR} CONFIGURE_DEPENDS ${HAND_WRITTEN_DIR}/*)
set(BUILD_COPIES_LEFT_OUT)
foreach(relative ${HAND_WRITTEN} scores.properties)
  string(REPLACE "." "\\." pattern "/resources/${relative}$")
  list(APPEND BUILD_COPIES_LEFT_OUT REGEX "${pattern}" EXCLUDE)
endforeach()
install(DIRECTORY ${KARROWEN_RESOURCE_DIR}/ DESTINATION ${KARROWEN_DATA_DESTINATION} ${BUILD_COPIES_LEFT_OUT})
set(SOURCE_COPIES_LEFT_OUT)
foreach(relative ${KARROWEN_VERSIONED_RESOURCES})
  string(REPLACE "." "\\." pattern "/resources/${relative}$")
  list(APPEND SOURCE_COPIES_LEFT_OUT REGEX "${pattern}" EXCLUDE)
  get_filename_component(folder ${relative} DIRECTORY)
  install(FILES ${KARROWEN_RESOURCE_DIR}/${relative} DESTINATION ${KARROWEN_DATA_DESTINATION}/${folder})
endforeach()
install(DIRECTORY ${HAND_WRITTEN_DIR}/ DESTINATION ${KARROWEN_DATA_DESTINATION} ${SOURCE_COPIES_LEFT_OUT})

configure_file(${PACKAGING_DIR}/karrowen.desktop.in ${PACKAGING_OUT}/${KARROWEN_APP_ID}.desktop @ONLY)
configure_file(${PACKAGING_DIR}/karrowen.metainfo.xml.in ${PACKAGING_OUT}/${KARROWEN_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PACKAGING_OUT}/${KARROWEN_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PACKAGING_OUT}/${KARROWEN_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

foreach(size ${KARROWEN_ICON_SIZES})
  install(FILES ${KARROWEN_ICON_DIR}/icon_${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${KARROWEN_APP_ID}.png)
endforeach()

# Manual pages: section 6 for the game, 1 for the tools.
set(KARROWEN_MAN_PAGES karrowen.6 karrowen-gen.1 karrowen-view.1 karrowen-play.1 karrowen-bench.1)
foreach(page ${KARROWEN_MAN_PAGES})
  configure_file(${PACKAGING_DIR}/man/${page}.in ${PACKAGING_OUT}/man/${page} @ONLY)
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${page})
  install(FILES ${PACKAGING_OUT}/man/${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
