# Adds every subfolder of the calling folder that has a CMakeLists.txt, in name order: each
# subfolder of tests/, bench/ and tools/ is one area, and areas that need Qt say so themselves.
function(velmora_add_areas)
  file(GLOB _areas LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _areas)
  foreach(_area ${_areas})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_area}/CMakeLists.txt)
      add_subdirectory(${_area})
    endif()
  endforeach()
endfunction()
