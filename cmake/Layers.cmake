# The engine's layers, lowest first: the document as text, the files a game
# shares, the elements, the game model, the checker, the app. Each layer sees
# its own folders and those below it through a view of symbolic links in the
# build tree, and nothing else, so an include that points up a layer does not
# build.
set(ADVENTURE_LAYER_VIEWS ${CMAKE_BINARY_DIR}/layer-views)

# Makes the view `name` that shows `folders` (paths relative to the source
# root) and returns its directory in `out`.
function(adventure_layer_view name out)
  set(view ${ADVENTURE_LAYER_VIEWS}/${name})
  foreach(folder IN LISTS ARGN)
    get_filename_component(parent ${view}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT EXISTS ${view}/${folder})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${view}/${folder} SYMBOLIC)
    endif()
  endforeach()
  set(${out} ${view} PARENT_SCOPE)
endfunction()

# A library of the layer `target`, seeing `VIEW` folders and linking `LINKS`.
function(adventure_layer target)
  cmake_parse_arguments(LAYER "" "" "SOURCES;VIEW;LINKS" ${ARGN})
  add_library(${target} STATIC ${LAYER_SOURCES})
  adventure_layer_view(${target} view ${LAYER_VIEW})
  target_include_directories(${target} PUBLIC ${view})
  target_link_libraries(${target} PUBLIC ${LAYER_LINKS})
  adventure_warnings(${target})
endfunction()
