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

# Files with Unix modes, which a save and the backup must not open up (the .exe cannot see the
# modes; the check reads them), and what a Windows program cannot make: a pipe and a link to a
# device as VOZ.INI, and a link to itself.
set(modes "private=600" "shared=644" "readonly=444")

function(mode_of path out)
  execute_process(COMMAND stat -c %a ${path} OUTPUT_VARIABLE mode OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(${out} "${mode}" PARENT_SCOPE)
endfunction()

if(MODE STREQUAL "make")
  file(REMOVE_RECURSE ${FOLDER})
  file(MAKE_DIRECTORY ${FOLDER}/data ${FOLDER}/emulator ${FOLDER}/loop ${FOLDER}/backup)
  file(WRITE ${FOLDER}/data/settings.ini "old")
  foreach(entry IN LISTS modes)
    string(REPLACE "=" ";" parts "${entry}")
    list(GET parts 0 name)
    list(GET parts 1 mode)
    file(MAKE_DIRECTORY ${FOLDER}/modes/${name})
    file(WRITE ${FOLDER}/modes/${name}/VOZ.INI "old")
    execute_process(COMMAND chmod ${mode} ${FOLDER}/modes/${name}/VOZ.INI)
  endforeach()
  file(MAKE_DIRECTORY ${FOLDER}/odd/fifo ${FOLDER}/odd/null ${FOLDER}/odd/self)
  execute_process(COMMAND mkfifo ${FOLDER}/odd/fifo/VOZ.INI)
  file(CREATE_LINK /dev/null ${FOLDER}/odd/null/VOZ.INI SYMBOLIC)
  file(CREATE_LINK VOZ.INI ${FOLDER}/odd/self/VOZ.INI SYMBOLIC)
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
  # What the save and the backup left, where they ran: the file's own mode, never more.
  foreach(entry IN LISTS modes)
    string(REPLACE "=" ";" parts "${entry}")
    list(GET parts 0 name)
    list(GET parts 1 mode)
    foreach(file VOZ.INI VOZ_backup.INI)
      if(EXISTS ${FOLDER}/modes/${name}/${file})
        mode_of(${FOLDER}/modes/${name}/${file} found)
        if(NOT found STREQUAL mode)
          message(FATAL_ERROR "${FOLDER}/modes/${name}/${file} is ${found}, not ${mode}")
        endif()
      endif()
    endforeach()
  endforeach()
else()
  message(FATAL_ERROR "MODE must be make or check")
endif()
