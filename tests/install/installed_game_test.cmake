# Installs the build into WORK_DIR/root as DESTDIR with the prefix /usr, then
# runs the installed program from another folder, where it can only find its
# resources through the installed data folder.
#
# Inputs: BUILD_DIR, SOURCE_DIR, WORK_DIR, VERSION, APP_ID, ICON_SIZES,
# MAN_PAGES, VERSIONED_RESOURCES.

set(failures 0)
macro(fail message)
  message(SEND_ERROR "${message}")
  math(EXPR failures "${failures} + 1")
endmacro()

file(REMOVE_RECURSE ${WORK_DIR})
set(root ${WORK_DIR}/root)
set(usr ${root}/usr)
set(elsewhere ${WORK_DIR}/elsewhere)
file(MAKE_DIRECTORY ${elsewhere} ${WORK_DIR}/home ${WORK_DIR}/data)

set(ENV{DESTDIR} ${root})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
unset(ENV{DESTDIR})
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result}):\n${errors}")
endif()

# Everything lands under DESTDIR in the GNU layout.
set(resources ${usr}/share/karrowen/resources)
foreach(path bin/karrowen bin/karrowen-gen bin/karrowen-view bin/karrowen-play bin/karrowen-bench
        share/karrowen/resources/Cover.properties share/karrowen/resources/gsettings.properties
        share/karrowen/resources/karrowen.png
        share/applications/${APP_ID}.desktop share/metainfo/${APP_ID}.metainfo.xml)
  if(NOT EXISTS ${usr}/${path})
    fail("not installed: /usr/${path}")
  endif()
endforeach()
foreach(page ${MAN_PAGES})
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${page})
  if(NOT EXISTS ${usr}/share/man/man${section}/${page})
    fail("manual page not installed: man${section}/${page}")
  endif()
endforeach()
# What playing the build wrote into its resource folder is not shipped: the
# hand-written files are the source tree's, and there is no score list.
if(EXISTS ${resources}/scores.properties)
  fail("the build's score list was installed")
endif()
file(GLOB_RECURSE hand_written RELATIVE ${SOURCE_DIR}/resources ${SOURCE_DIR}/resources/*)
list(REMOVE_ITEM hand_written ${VERSIONED_RESOURCES})
foreach(relative ${hand_written})
  file(SHA256 ${SOURCE_DIR}/resources/${relative} shipped)
  if(NOT EXISTS ${resources}/${relative})
    fail("not installed: resources/${relative}")
    continue()
  endif()
  file(SHA256 ${resources}/${relative} installed)
  if(NOT installed STREQUAL shipped)
    fail("resources/${relative} was installed from the build folder, not the source tree")
  endif()
endforeach()

# Each icon is a PNG of the size its folder names (IHDR width and height).
foreach(size ${ICON_SIZES})
  set(icon ${usr}/share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
  if(NOT EXISTS ${icon})
    fail("icon not installed: ${size}x${size}")
    continue()
  endif()
  file(READ ${icon} header LIMIT 24 HEX)
  math(EXPR expected "${size}" OUTPUT_FORMAT HEXADECIMAL)
  string(REPLACE "0x" "" expected ${expected})
  string(LENGTH ${expected} digits)
  math(EXPR padding "8 - ${digits}")
  string(REPEAT "0" ${padding} zeros)
  set(dimension ${zeros}${expected})
  if(NOT header MATCHES "^89504e470d0a1a0a0000000d49484452${dimension}${dimension}$")
    fail("${size}x${size} icon is not a ${size} x ${size} PNG: ${header}")
  endif()
endforeach()

# The About page names this version.
file(READ ${resources}/back.properties about)
if(NOT about MATCHES "text:Version ${VERSION},")
  fail("the installed About page does not show version ${VERSION}")
endif()
# The newest release in the metainfo is this version.
file(READ ${usr}/share/metainfo/${APP_ID}.metainfo.xml metainfo)
string(REGEX MATCH "<release version=\"([^\"]*)\"" newest "${metainfo}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  fail("the metainfo's newest release is '${CMAKE_MATCH_1}', the project is ${VERSION}: add a <release>")
endif()

# --version prints the name and the version.
execute_process(COMMAND ${usr}/bin/karrowen --version WORKING_DIRECTORY ${elsewhere}
                RESULT_VARIABLE result OUTPUT_VARIABLE output)
if(NOT result EQUAL 0 OR NOT output STREQUAL "karrowen ${VERSION}\n")
  fail("karrowen --version gave '${output}' (status ${result}), not 'karrowen ${VERSION}'")
endif()

# A headless run from another folder finds its resources and draws the cover;
# its own home keeps whatever it writes away from the user's.
set(ENV{HOME} ${WORK_DIR}/home)
set(ENV{XDG_DATA_HOME} ${WORK_DIR}/data)
set(shot ${WORK_DIR}/cover.png)
execute_process(COMMAND ${usr}/bin/karrowen --headless --audio=null --instance=install-test
                        --screenshot=${shot}@2000 --exit-after=3000
                WORKING_DIRECTORY ${elsewhere} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  fail("the installed game ended with status ${result}:\n${output}${errors}")
elseif(NOT EXISTS ${shot})
  fail("the installed game wrote no screenshot:\n${output}${errors}")
endif()

# The desktop entry and the metainfo pass their validators where installed.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${usr}/share/applications/${APP_ID}.desktop
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT result EQUAL 0 OR NOT "${output}${errors}" STREQUAL "")
    fail("desktop-file-validate:\n${output}${errors}")
  endif()
else()
  message(STATUS "desktop-file-validate not found: the desktop entry is not validated")
endif()
find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  execute_process(COMMAND ${APPSTREAMCLI} validate --no-net ${usr}/share/metainfo/${APP_ID}.metainfo.xml
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    fail("appstreamcli validate:\n${output}${errors}")
  endif()
else()
  message(STATUS "appstreamcli not found: the metainfo is not validated")
endif()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} check(s) failed")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
