# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
# Lint as tests (label lint): clang-tidy and cppcheck over the program's own
# sources, clang-format over every C++ file, and reuse over every file. A
# missing tool skips its test.
# Included by the native tests, and by the win32 tests for the Windows-only sources.
function(clientid_lint_test name tool)
  find_program(CLIENTID_${name}_TOOL ${tool})
  if(CLIENTID_${name}_TOOL)
    add_test(NAME ${name} COMMAND ${CLIENTID_${name}_TOOL} ${ARGN})
  else()
    add_test(NAME ${name} COMMAND sh -c "echo 'skipped: ${tool} not found'; exit 77")
  endif()
  set_tests_properties(${name} PROPERTIES LABELS lint SKIP_RETURN_CODE 77)
endfunction()

set(clientid_cppcheck_options --quiet --error-exitcode=1 --inline-suppr --std=c++20
  --enable=warning,style,performance,portability --suppress=missingIncludeSystem
  -I${PROJECT_SOURCE_DIR})
# cppcheck from 2.11 limits how many branches it follows unless told otherwise.
find_program(CLIENTID_cppcheck_TOOL cppcheck)
if(CLIENTID_cppcheck_TOOL)
  execute_process(COMMAND ${CLIENTID_cppcheck_TOOL} --version OUTPUT_VARIABLE cppcheck_version)
  string(REGEX MATCH "[0-9]+\\.[0-9]+" cppcheck_version "${cppcheck_version}")
  if(cppcheck_version VERSION_GREATER_EQUAL 2.11)
    list(APPEND clientid_cppcheck_options --check-level=exhaustive)
  endif()
endif()

if(CMAKE_CROSSCOMPILING)
  # The Windows-only sources, and main as Windows builds it, with this build's
  # compile commands. clang is told the target, and finds the mingw-w64
  # compiler's headers only in that compiler's own include folders.
  set(clientid_win32_sources
    ${PROJECT_SOURCE_DIR}/app/main.cc
    ${PROJECT_SOURCE_DIR}/platform/console-win32.cc
    ${PROJECT_SOURCE_DIR}/platform/stack-guard-win32.cc)
  set(mingw_includes ${CMAKE_CXX_IMPLICIT_INCLUDE_DIRECTORIES})
  list(TRANSFORM mingw_includes PREPEND --extra-arg=-isystem)
  clientid_lint_test(clang_tidy_win32 clang-tidy -p ${PROJECT_BINARY_DIR} --quiet
    --extra-arg=--target=${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32 --extra-arg=-nostdinc ${mingw_includes}
    ${clientid_win32_sources})
  clientid_lint_test(cppcheck_win32 cppcheck ${clientid_cppcheck_options} -D_WIN32 ${clientid_win32_sources})
  # The shipped executable hardened as pesec (pev) reads it: ASLR, DEP/NX and
  # no SEH handlers.
  clientid_lint_test(pesec sh -c [[command -v pesec >/dev/null || { echo "skipped: pesec not found"
    exit 77
  }
  pesec "$0" | tee /dev/stderr | tr -s ' ' | tr '\n' '|' | grep -Eq '^ASLR: yes\|DEP/NX: yes\|SEH: no\|']]
    $<TARGET_FILE:clientid>)
  return()
endif()

set(clientid_sources
  ${PROJECT_SOURCE_DIR}/app/main.cc
  ${PROJECT_SOURCE_DIR}/clientid/clientid.cc
  ${PROJECT_SOURCE_DIR}/platform/console-posix.cc
  ${PROJECT_SOURCE_DIR}/platform/registry-posix.cc)
file(GLOB clientid_all_cxx CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/app/*.cc ${PROJECT_SOURCE_DIR}/clientid/*.[ch]*
  ${PROJECT_SOURCE_DIR}/platform/*.[ch]* ${PROJECT_SOURCE_DIR}/tests/*.[ch]*)

clientid_lint_test(clang_tidy clang-tidy -p ${PROJECT_BINARY_DIR} --quiet ${clientid_sources})
clientid_lint_test(cppcheck cppcheck ${clientid_cppcheck_options} -U_WIN32 ${clientid_sources})
clientid_lint_test(clang_format clang-format --dry-run --Werror ${clientid_all_cxx})
# Every file says whose it is and under which licence, as REUSE reads it.
clientid_lint_test(reuse_lint reuse --root ${PROJECT_SOURCE_DIR} lint)
# The native program hardened as checksec reads it: full RELRO, a stack canary,
# NX, PIE and FORTIFY.
clientid_lint_test(checksec sh -c [[command -v checksec >/dev/null || { echo "skipped: checksec not found"
    exit 77
  }
  checksec --output=csv --file="$0" | tee /dev/stderr |
    grep -Eq '^Full RELRO,Canary found,NX enabled,PIE enabled,([^,]*,){3}Yes,']] $<TARGET_FILE:clientid>)
