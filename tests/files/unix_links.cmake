# Unix symbolic links for the Windows tests, made (and checked again) from the Linux side, since a
# Windows program under Wine cannot make them itself. Run with cmake -P:
#   -DFOLDER=<folder> -DMODE=make   a fresh folder: a file and the links that lead to it
#   -DMODE=check                    every link is still a link (a save must not have replaced one)
set(links
  "emulator/VOZ.INI=../data/settings.ini"      # relative to the link's own folder
  "emulator/chained.INI=${FOLDER}/emulator/VOZ.INI"  # absolute, and to another link
  "linked-data=data"                           # a folder reached through a link
  "loop/a.INI=b.INI"                           # a chain that never ends
  "loop/b.INI=a.INI"
  "backup/VOZ_backup.INI=../nowhere/none.INI"  # a link to nothing at all
)

if(MODE STREQUAL "make")
  file(REMOVE_RECURSE ${FOLDER})
  file(MAKE_DIRECTORY ${FOLDER}/data ${FOLDER}/emulator ${FOLDER}/loop ${FOLDER}/backup)
  file(WRITE ${FOLDER}/data/settings.ini "old")
  foreach(link IN LISTS links)
    string(REPLACE "=" ";" parts "${link}")
    list(GET parts 0 name)
    list(GET parts 1 target)
    file(CREATE_LINK ${target} ${FOLDER}/${name} SYMBOLIC)
  endforeach()
elseif(MODE STREQUAL "check")
  foreach(link IN LISTS links)
    string(REPLACE "=" ";" parts "${link}")
    list(GET parts 0 name)
    if(NOT IS_SYMLINK ${FOLDER}/${name})
      message(FATAL_ERROR "${FOLDER}/${name} is no longer a symbolic link")
    endif()
  endforeach()
else()
  message(FATAL_ERROR "MODE must be make or check")
endif()
