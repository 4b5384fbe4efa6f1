# End-to-end tests: the host and Wine's own container place the built control,
# registered by regsvr32 in fresh private prefixes (one at 96 DPI, one at
# 144 DPI). Tests of one prefix run one at a time: they end its processes.
add_executable(pz_click_witness WIN32 ClickWitness.cpp)
pz_add_helper_program(pz_box_closer BoxCloser.cpp)
add_executable(pz_atl_container_test AtlContainerTest.cpp)
target_link_libraries(pz_atl_container_test PRIVATE pz_hostcore)

math(EXPR pz_bits "${CMAKE_SIZEOF_VOID_P} * 8")

set(pz_e2e ${PZ_PYTHON_TEST} ${CMAKE_CURRENT_SOURCE_DIR}/e2e.py
  --wine-run ${CMAKE_SOURCE_DIR}/scripts/wine-run
  --host $<TARGET_FILE:zorvick-host>
  --ocx $<TARGET_FILE:PelZorvick>
  --witness $<TARGET_FILE:pz_click_witness>
  --atl-test $<TARGET_FILE:pz_atl_container_test>
  --box-closer $<TARGET_FILE:pz_box_closer>
  --bits ${pz_bits})

# pz_e2e_prefix(<dpi> <case>...)
function(pz_e2e_prefix dpi)
  set(prefix ${CMAKE_BINARY_DIR}/e2e-prefix-${dpi})
  set(args ${pz_e2e} --prefix ${prefix} --work ${CMAKE_CURRENT_BINARY_DIR}/e2e-${dpi})
  if(NOT dpi EQUAL 96)
    list(APPEND args --logpixels ${dpi})
  endif()
  pz_add_wine_test(NAME host_e2e_${dpi}_setup COMMAND ${args} setup)
  set_tests_properties(host_e2e_${dpi}_setup PROPERTIES
    FIXTURES_SETUP host_e2e_${dpi} RESOURCE_LOCK host_e2e_prefix_${dpi} TIMEOUT 600)
  foreach(case IN LISTS ARGN)
    pz_add_wine_test(NAME host_e2e_${dpi}_${case} COMMAND ${args} ${case})
    set_tests_properties(host_e2e_${dpi}_${case} PROPERTIES
      FIXTURES_REQUIRED host_e2e_${dpi} RESOURCE_LOCK host_e2e_prefix_${dpi} TIMEOUT 600)
  endforeach()
endfunction()

pz_e2e_prefix(96 click pixels render image design nocommand persistence atl keyboard focus accessible
  designer policy policy_shell policy_image policy_script)
pz_e2e_prefix(144 pixels render focus designer)
