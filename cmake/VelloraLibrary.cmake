# vellora_library(<target> INCLUDE_AS <prefix> SOURCES <files...> [PUBLIC <libs...>] [PRIVATE <libs...>])
#
# A static library of one folder. It exposes only its own headers, under the name its users write
# ("store/data_file.h"): the folder is linked into an include root of the library's own, so code
# that does not link the library cannot include its headers, and the build keeps the layers.
function(vellora_library target)
  cmake_parse_arguments(ARG "" "INCLUDE_AS" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  # Made afresh: a link left by an earlier INCLUDE_AS must not be written through.
  file(REMOVE_RECURSE ${root})
  get_filename_component(parent ${root}/${ARG_INCLUDE_AS} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${ARG_INCLUDE_AS} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
  target_link_libraries(${target} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
endfunction()
