# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
# Windows, x86_64: the toolchain of the win64 preset.
set(mingw_arch x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
