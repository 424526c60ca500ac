# Lint as tests (label lint): clang-tidy and cppcheck over the program's own
# sources, and clang-format over every C++ file. A missing tool skips its test.
set(clientid_sources
  ${PROJECT_SOURCE_DIR}/app/main.cc
  ${PROJECT_SOURCE_DIR}/clientid/clientid.cc
  ${PROJECT_SOURCE_DIR}/platform/console-posix.cc
  ${PROJECT_SOURCE_DIR}/platform/registry-posix.cc)
file(GLOB clientid_all_cxx CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/app/*.cc ${PROJECT_SOURCE_DIR}/clientid/*.[ch]*
  ${PROJECT_SOURCE_DIR}/platform/*.[ch]* ${PROJECT_SOURCE_DIR}/tests/*.[ch]*)

function(clientid_lint_test name tool)
  find_program(CLIENTID_${name}_TOOL ${tool})
  if(CLIENTID_${name}_TOOL)
    add_test(NAME ${name} COMMAND ${CLIENTID_${name}_TOOL} ${ARGN})
  else()
    add_test(NAME ${name} COMMAND sh -c "echo 'skipped: ${tool} not found'; exit 77")
  endif()
  set_tests_properties(${name} PROPERTIES LABELS lint SKIP_RETURN_CODE 77)
endfunction()

clientid_lint_test(clang_tidy clang-tidy -p ${PROJECT_BINARY_DIR} --quiet ${clientid_sources})
clientid_lint_test(cppcheck cppcheck --quiet --error-exitcode=1 --inline-suppr --std=c++20
  --enable=warning,style,performance,portability --suppress=missingIncludeSystem
  # The registry operations keep the platform's signatures, non-const handles included.
  --suppress=constParameter:${PROJECT_SOURCE_DIR}/platform/registry-posix.cc
  -U_WIN32 -I${PROJECT_SOURCE_DIR} ${clientid_sources})
clientid_lint_test(clang_format clang-format --dry-run --Werror ${clientid_all_cxx})
# The native program hardened as checksec reads it: full RELRO, a stack canary,
# NX, PIE and FORTIFY.
clientid_lint_test(checksec sh -c [[command -v checksec >/dev/null || exit 77
  checksec --output=csv --file="$0" | tee /dev/stderr |
    grep -Eq '^Full RELRO,Canary found,NX enabled,PIE enabled,([^,]*,){3}Yes,']] $<TARGET_FILE:clientid>)
