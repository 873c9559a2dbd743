# add_component_subfolders(): adds every subfolder of the calling folder that has a
# CMakeLists.txt, so that each component (a test binary, a tool, a benchmark) lives in its own
# folder and needs no registration elsewhere.
function(add_component_subfolders)
  file(GLOB children CONFIGURE_DEPENDS LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
