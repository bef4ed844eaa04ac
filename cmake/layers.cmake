# The source tree is built in layers, each a static library that links only the layers below it:
#
#   files -> settings -> model -> panels -> shell -> front_ends/qt, front_ends/win32 -> app
#
# A layer's headers are included by their folder ("settings/config_file.h"). So that a layer
# cannot reach up, no target sees src/ as a whole: each layer has an include root of its own in
# the build folder, holding one forwarding header per header of the layer, and a target sees only
# the roots of the layers it links. An include of a higher layer's header then fails to compile.

# quorvane_layer(<target> <folder under src> [DEPENDS <lower layers...>] [SOURCES <files...>])
function(quorvane_layer target folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "DEPENDS;SOURCES")
  add_library(${target} STATIC ${arg_SOURCES})
  target_link_libraries(${target} PUBLIC ${arg_DEPENDS})
  quorvane_warnings(${target})

  set(src ${PROJECT_SOURCE_DIR}/src)
  set(root ${PROJECT_BINARY_DIR}/layers/${target})
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS RELATIVE ${src} ${src}/${folder}/*.h)
  # Forwarding headers are rewritten only when their text changes, so that a new configure does
  # not rebuild everything; one left from a header that is gone is removed.
  file(GLOB_RECURSE stale RELATIVE ${root} ${root}/*.h)
  foreach(header IN LISTS headers)
    list(REMOVE_ITEM stale ${header})
    file(CONFIGURE OUTPUT ${root}/${header} CONTENT "#include \"${src}/${header}\"\n" @ONLY)
  endforeach()
  foreach(header IN LISTS stale)
    file(REMOVE ${root}/${header})
  endforeach()
  target_include_directories(${target} PUBLIC ${root})
endfunction()
