# Runs inside `cmake --install`: adds the program installed in CMAKE_INSTALL_PREFIX
# to the desktop's menu of the user who installs it. The entry goes to the user's
# applications folder and the icons to the user's hicolor theme, both under
# $XDG_DATA_HOME (else ~/.local/share); missing folders are created. Expects
# DESKTOP_DATA_DIR, the project's data/ folder with the entry's template and the
# icons, to be set by the install code before it.
cmake_minimum_required(VERSION 3.21)

if(DEFINED ENV{XDG_DATA_HOME} AND IS_ABSOLUTE "$ENV{XDG_DATA_HOME}")
  set(data_home "$ENV{XDG_DATA_HOME}")
elseif(NOT "$ENV{HOME}" STREQUAL "")
  set(data_home "$ENV{HOME}/.local/share")
else()
  message(WARNING "Né XDG_DATA_HOME né HOME sono impostate: la voce del menu non viene installata.")
  return()
endif()
# A staged install (DESTDIR) stays inside its staging folder.
set(data_home "$ENV{DESTDIR}${data_home}")

set(program "${CMAKE_INSTALL_PREFIX}/rudozuzurivaz")
if(NOT IS_ABSOLUTE "${program}")
  message(FATAL_ERROR "La cartella di installazione deve essere un percorso assoluto: ${CMAKE_INSTALL_PREFIX}")
endif()
if(program MATCHES "[\n\r]")
  message(FATAL_ERROR "Il percorso della cartella di installazione contiene un a capo: ${CMAKE_INSTALL_PREFIX}")
endif()

# The Exec key: a path with blanks or signs goes in double quotes, where ", `, $
# and \ take a backslash; that backslash is itself doubled, since the key is a
# string of the desktop file. "%" is written "%%" everywhere.
set(exec "${program}")
if(exec MATCHES [=[[^A-Za-z0-9_./+-]]=])
  string(REPLACE [[\]] [[\\\\]] exec "${exec}")
  foreach(sign [["]] [[`]] [[$]])
    string(REPLACE "${sign}" "\\\\${sign}" exec "${exec}")
  endforeach()
  set(exec "\"${exec}\"")
endif()
string(REPLACE "%" "%%" exec "${exec}")

set(EXEC "${exec}")
set(entry "${data_home}/applications/rudozuzurivaz.desktop")
message(STATUS "Installing: ${entry}")
configure_file("${DESKTOP_DATA_DIR}/rudozuzurivaz.desktop.in" "${entry}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${entry}")

set(hicolor "${data_home}/icons/hicolor")
file(INSTALL "${DESKTOP_DATA_DIR}/icons/rudozuzurivaz.svg" DESTINATION "${hicolor}/scalable/apps")
file(GLOB sizes RELATIVE "${DESKTOP_DATA_DIR}/icons" "${DESKTOP_DATA_DIR}/icons/*x*")
foreach(size IN LISTS sizes)
  file(INSTALL "${DESKTOP_DATA_DIR}/icons/${size}/rudozuzurivaz.png" DESTINATION "${hicolor}/${size}/apps")
endforeach()

# A theme that keeps an icon cache sees the new icon only once the cache is made again.
if(EXISTS "${hicolor}/icon-theme.cache")
  find_program(UPDATE_ICON_CACHE NAMES gtk-update-icon-cache gtk4-update-icon-cache)
  if(UPDATE_ICON_CACHE)
    execute_process(COMMAND "${UPDATE_ICON_CACHE}" --force --ignore-theme-index --quiet "${hicolor}")
  endif()
endif()
