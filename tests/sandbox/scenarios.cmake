# Sandbox scenarios as CTest tests.
#
# add_sandbox_scenarios(DIR LABEL): every function `case_<name>()` defined at the start of a line in
# DIR/*.sh becomes the test <LABEL>/<script>/<name>, run by tests/sandbox/scenario in a sandbox of its
# own. A sandbox that cannot be made here skips (exit 77).

# Scripts are re-read whenever one changes, so added or renamed cases are registered on the next build.
function(add_sandbox_scenarios dir label)
  file(GLOB scripts CONFIGURE_DEPENDS ${dir}/*.sh)
  foreach(script ${scripts})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${script})
    get_filename_component(stem ${script} NAME_WLE)
    file(STRINGS ${script} definitions REGEX "^case_[A-Za-z0-9_]+[ \t]*\\(\\)")
    foreach(definition ${definitions})
      string(REGEX MATCH "^case_([A-Za-z0-9_]+)" _ "${definition}")
      set(test ${label}/${stem}/${CMAKE_MATCH_1})
      add_test(NAME ${test}
               COMMAND ${CMAKE_SOURCE_DIR}/tests/sandbox/run ${CMAKE_SOURCE_DIR}/tests/sandbox/scenario
                       ${script} ${CMAKE_MATCH_1})
      set_tests_properties(${test} PROPERTIES
        ENVIRONMENT ORVO_BUILD_DIR=${CMAKE_BINARY_DIR}
        LABELS ${label}
        SKIP_RETURN_CODE 77
        TIMEOUT 300)
    endforeach()
  endforeach()
endfunction()

# What only the host can check: a sandbox leaves nothing behind, and sandboxes side by side each have
# their own CUPS server.
foreach(check leaves_host_untouched parallel_cupsd)
  add_test(NAME system/sandbox_selftest/host_${check}
           COMMAND ${CMAKE_SOURCE_DIR}/tests/sandbox/selftest_host.sh ${check})
  set_tests_properties(system/sandbox_selftest/host_${check} PROPERTIES
    ENVIRONMENT ORVO_BUILD_DIR=${CMAKE_BINARY_DIR}
    LABELS system
    SKIP_RETURN_CODE 77
    TIMEOUT 300)
endforeach()
