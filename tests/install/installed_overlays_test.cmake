# An installed game with read-only resources keeps what the player changes
# in small overlays under the XDG folders, and a later version's templates
# still show through them.
#
# The build is installed into WORK_DIR/v1 as DESTDIR (prefix /usr) and its
# resources are made read-only. A headless run turns sound effects off on the
# settings page, and another enters a name on the score list. A second "version" is a copy of the install whose settings page has
# another title and a new line of text.
#
# Inputs: BUILD_DIR, WORK_DIR; INSTANCE (optional) names the runs' instance.

set(failures 0)
macro(fail message)
  message(SEND_ERROR "${message}")
  math(EXPR failures "${failures} + 1")
endmacro()

if(NOT INSTANCE)
  set(INSTANCE install-overlays)
endif()
if(EXISTS ${WORK_DIR})
  execute_process(COMMAND chmod -R u+w ${WORK_DIR})
endif()
file(REMOVE_RECURSE ${WORK_DIR})
set(elsewhere ${WORK_DIR}/elsewhere)
set(player ${WORK_DIR}/player)
file(MAKE_DIRECTORY ${elsewhere})

set(ENV{DESTDIR} ${WORK_DIR}/v1)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
unset(ENV{DESTDIR})
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result}):\n${errors}")
endif()

# The second version: another title and a new line on the settings page.
file(COPY ${WORK_DIR}/v1/usr DESTINATION ${WORK_DIR}/v2)
set(page2 ${WORK_DIR}/v2/usr/share/karrowen/resources/gsettings.properties)
file(READ ${page2} text)
string(REPLACE "text:Settings," "text:Options v2," changed "${text}")
if(changed STREQUAL text)
  message(FATAL_ERROR "the settings page has no 'text:Settings,' title to change")
endif()
file(WRITE ${page2} "${changed}txtNew=type:Sprite, container:sceneGUI, x:20, y:292, width:200, height:14, "
                    "text:New in version 2, textSize:11, textAlignment:CENTER\n")

foreach(version v1 v2)
  execute_process(COMMAND chmod -R a-w ${WORK_DIR}/${version}/usr/share/karrowen/resources)
endforeach()
file(GLOB_RECURSE shipped_before ${WORK_DIR}/v1/usr/share/karrowen/resources/*)
file(SHA256 ${WORK_DIR}/v1/usr/share/karrowen/resources/gsettings.properties page_before)

# Runs the installed game of `version` headless from another folder, with the
# player's folders under `home`; extra arguments follow the common ones.
macro(play version home)
  set(ENV{HOME} ${home})
  set(ENV{XDG_CONFIG_HOME} ${home}/config)
  set(ENV{XDG_DATA_HOME} ${home}/data)
  execute_process(COMMAND ${WORK_DIR}/${version}/usr/bin/karrowen --headless --audio=null
                          --instance=${INSTANCE} ${ARGN}
                  WORKING_DIRECTORY ${elsewhere} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    fail("karrowen ${ARGN} (${version}) ended with status ${result}:\n${output}${errors}")
  endif()
endmacro()

# The settings page by stylus (the desktop screen is the design x 2): sound
# effects Off (design 122,132 102x24).
file(WRITE ${WORK_DIR}/settings.input "1000 tap 346 288\n")
play(v1 ${player} --input=${WORK_DIR}/settings.input --exit-after=2000 -- ARG:gsettings)
# The score list, with no game played (a score of 0): "ann" on the on-screen
# keyboard that opens at once (its keys 21 design units apart, "a" at design
# 20,176 and "n" at 125,197), then Ok.
file(WRITE ${WORK_DIR}/score.input "1000 tap 50 352\n1200 tap 260 394\n1400 tap 260 394\n1600 tap 330 440\n")
play(v1 ${player} --input=${WORK_DIR}/score.input --exit-after=2500 -- ARG:scoreList)

set(settings ${player}/config/karrowen/gsettings.properties)
set(scores ${player}/data/karrowen/scores.properties)
# An overlay must exist where it belongs and hold exactly the player's change.
macro(expect_overlay path where expected)
  if(NOT EXISTS ${path})
    fail("${where} was not kept where it belongs (${path})")
  else()
    file(READ ${path} overlay)
    if(NOT overlay STREQUAL "${expected}")
      fail("${where} holds more or less than the change:\n${overlay}")
    endif()
  endif()
endmacro()
expect_overlay(${settings} "the settings overlay" "optSoundOn:status=0\noptSoundOff:status=1\nsoundEffect:selected=1\n")
expect_overlay(${scores} "the score list overlay" "default=ann:0\n")
file(GLOB_RECURSE player_files RELATIVE ${player} ${player}/*)
list(SORT player_files)
if(NOT player_files STREQUAL "config/karrowen/gsettings.properties;data/karrowen/scores.properties")
  fail("the player's folders hold other files than the two overlays: ${player_files}")
endif()
file(GLOB_RECURSE shipped_after ${WORK_DIR}/v1/usr/share/karrowen/resources/*)
file(SHA256 ${WORK_DIR}/v1/usr/share/karrowen/resources/gsettings.properties page_after)
if(NOT shipped_after STREQUAL shipped_before)
  fail("files appeared in or vanished from the installed resources")
elseif(NOT page_after STREQUAL page_before)
  fail("the installed settings page was rewritten")
endif()

# The settings page of either version, with or without the player's overlay.
# The same run twice gives the same picture, so a different picture is a
# different page.
macro(settings_shot version home name)
  play(${version} ${home} --screenshot=${WORK_DIR}/${name}.png@1500 --exit-after=2000 -- ARG:gsettings)
  if(EXISTS ${WORK_DIR}/${name}.png)
    file(SHA256 ${WORK_DIR}/${name}.png ${name})
  else()
    set(${name} "no picture")
    fail("no screenshot ${name}")
  endif()
endmacro()
settings_shot(v1 ${player} v1_player)
settings_shot(v1 ${player} v1_player_again)
settings_shot(v2 ${player} v2_player)
settings_shot(v2 ${WORK_DIR}/nobody v2_fresh)
if(NOT v1_player STREQUAL v1_player_again)
  fail("two runs of the same page gave different pictures")
elseif(v1_player STREQUAL v2_player)
  fail("the second version's settings page does not show through the overlay")
elseif(v2_player STREQUAL v2_fresh)
  fail("the second version's settings page does not show the player's setting")
endif()
file(READ ${settings} overlay)
if(NOT overlay STREQUAL "optSoundOn:status=0\noptSoundOff:status=1\nsoundEffect:selected=1\n")
  fail("the settings overlay changed by running the second version:\n${overlay}")
endif()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} check(s) failed")
endif()
execute_process(COMMAND chmod -R u+w ${WORK_DIR})
file(REMOVE_RECURSE ${WORK_DIR})
