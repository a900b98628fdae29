# SPDX-License-Identifier: MIT
# velnet_add_uml_test(NAME COMMAND program args... [ENVIRONMENT VAR=value...])
# registers a test that needs bonding and 802.1Q: it runs directly where this
# kernel has them, inside a user-mode Linux guest otherwise, and is skipped
# (never passed) where neither works. Its scratch folder is
# <binary dir>/<NAME>.scratch; VELNET_TEST_SCRATCH names it.
set(VELNET_UML_RUN ${CMAKE_CURRENT_LIST_DIR}/uml-run.sh)

function(velnet_add_uml_test name)
  cmake_parse_arguments(ARG "" "" "COMMAND;ENVIRONMENT" ${ARGN})
  set(scratch ${CMAKE_CURRENT_BINARY_DIR}/${name}.scratch)
  add_test(NAME ${name} COMMAND ${VELNET_UML_RUN} ${scratch} ${ARG_COMMAND})
  if(VELNET_SANITIZE)
    list(APPEND ARG_ENVIRONMENT VELNET_SANITIZED=1)
  endif()
  set_tests_properties(${name} PROPERTIES
    SKIP_RETURN_CODE 77
    TIMEOUT 900
    RUN_SERIAL TRUE
    ENVIRONMENT "VELNET_TEST_SCRATCH=${scratch};VELNET_REGISTRY=${scratch}/registry.reg;VELNET_NO_RESTART=1;ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;LSAN_OPTIONS=suppressions=${VELNET_LSAN_SUPPRESSIONS}:print_suppressions=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1;${ARG_ENVIRONMENT}")
endfunction()
