# Each folder's CMakeLists.txt includes every *.cmake file beside it, so that separate areas of one
# folder (say the INI file and the sound device in media/) keep separate build lists.
macro(vexal_include_area_lists)
  file(GLOB _area_lists ${CMAKE_CURRENT_SOURCE_DIR}/*.cmake)
  foreach(_f IN LISTS _area_lists)
    include(${_f})
  endforeach()
endmacro()
