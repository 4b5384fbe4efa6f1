# pz_add_groups()
# Each subfolder of the calling folder that has a CMakeLists.txt is one
# group, added in name order, so that a new group needs no line elsewhere.
function(pz_add_groups)
  file(GLOB groups LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT groups)
  foreach(group IN LISTS groups)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${group}/CMakeLists.txt)
      add_subdirectory(${group})
    endif()
  endforeach()
endfunction()
