# Installing the engine and building its Debian package:
# `cmake --build build --target package` writes adventure_VERSION-1_ARCH.deb.
# The layout follows Debian's for games: the binary in /usr/games, data in
# /usr/share/games/adventure, the manual in section 6. Libraries are the
# system's own, found by dpkg-shlibdeps from the binary, never shipped.

set(ADVENTURE_DEBIAN_VERSION ${PROJECT_VERSION}-1)
set(ADVENTURE_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)
set(ADVENTURE_DOC_DIR share/doc/adventure)
set(ADVENTURE_STUDY_DIR share/games/adventure/examples/study)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS adventure RUNTIME DESTINATION games)

find_program(GZIP gzip REQUIRED)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.Debian.in ${ADVENTURE_PACKAGING_DIR}/changelog.Debian @ONLY)
# -n: no name or time in the gzip header, so that a rebuild gives the same bytes.
add_custom_command(
  OUTPUT ${ADVENTURE_PACKAGING_DIR}/changelog.Debian.gz
  COMMAND ${GZIP} -9nkf changelog.Debian
  WORKING_DIRECTORY ${ADVENTURE_PACKAGING_DIR}
  DEPENDS ${ADVENTURE_PACKAGING_DIR}/changelog.Debian
  VERBATIM)
set(package_documents ${ADVENTURE_PACKAGING_DIR}/changelog.Debian.gz)

# The manual page is the program's own --help, so the two cannot drift apart.
# Without help2man (scripts/setup-debian.sh installs it) the engine still
# builds, and the package goes without its manual page.
find_program(HELP2MAN help2man)
if(HELP2MAN)
  add_custom_command(
    OUTPUT ${ADVENTURE_PACKAGING_DIR}/adventure.6.gz
    COMMAND ${HELP2MAN} --no-info --section=6 --name "play point-and-click adventure games written in XML"
            --output=adventure.6 $<TARGET_FILE:adventure>
    COMMAND ${GZIP} -9nf adventure.6
    WORKING_DIRECTORY ${ADVENTURE_PACKAGING_DIR}
    DEPENDS adventure
    COMMENT "Writing the manual page from --help"
    VERBATIM)
  list(APPEND package_documents ${ADVENTURE_PACKAGING_DIR}/adventure.6.gz)
  install(FILES ${ADVENTURE_PACKAGING_DIR}/adventure.6.gz DESTINATION share/man/man6)
else()
  message(STATUS "help2man not found: the package will have no manual page")
endif()
add_custom_target(package_documents ALL DEPENDS ${package_documents})
install(FILES README.md packaging/copyright ${ADVENTURE_PACKAGING_DIR}/changelog.Debian.gz
        DESTINATION ${ADVENTURE_DOC_DIR})
install(DIRECTORY docs/ DESTINATION ${ADVENTURE_DOC_DIR})

# The example game as it is built, but its fonts link to fonts-dejavu-core's
# instead of being copies of them, as Debian asks of packages that use a
# packaged font; relative links, as within /usr they should be.
if(TARGET study)
  set(study_build ${CMAKE_BINARY_DIR}/examples/study)
  set(study_fonts DejaVuSans.ttf DejaVuSerif.ttf)
  install(FILES ${study_build}/game.xml DESTINATION ${ADVENTURE_STUDY_DIR})
  # Its translations: the document names them, and a copy without them does not start in them.
  install(DIRECTORY ${study_build}/lang DESTINATION ${ADVENTURE_STUDY_DIR})
  install(DIRECTORY ${study_build}/assets DESTINATION ${ADVENTURE_STUDY_DIR}
          PATTERN generated.stamp EXCLUDE
          PATTERN "DejaVu*.ttf" EXCLUDE)
  file(MAKE_DIRECTORY ${ADVENTURE_PACKAGING_DIR}/fonts)
  foreach(font IN LISTS study_fonts)
    file(CREATE_LINK ../../../../../fonts/truetype/dejavu/${font} ${ADVENTURE_PACKAGING_DIR}/fonts/${font} SYMBOLIC)
    install(FILES ${ADVENTURE_PACKAGING_DIR}/fonts/${font} DESTINATION ${ADVENTURE_STUDY_DIR}/assets)
  endforeach()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME adventure)
set(CPACK_PACKAGE_VENDOR "the adventure maintainers")
set(CPACK_PACKAGE_CONTACT "adventure maintainers <maintainers@users.noreply.c-seed-3641ae41.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "data-driven point-and-click adventure engine")
set(CPACK_PACKAGE_DESCRIPTION
    "adventure plays point-and-click adventure games that one XML document
describes: the window, the images, fonts, sounds and music, the player and
the scenes. It checks a game for its author (--check), replays recorded
play-throughs for tests, and bundles a game with a launcher for players.
.
The example game The Study is installed in /usr/share/games/adventure.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the shared libraries do not say: the example game's fonts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-dejavu-core)
include(CPack)
