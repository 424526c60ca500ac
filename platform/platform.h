// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
#pragma once
/// The registry and console operations the program runs on.
///
/// On Windows these are the platform's own: the registry of advapi32 and the
/// C runtime's console. Elsewhere the registry operations are a stand-in with
/// the same names, parameters, constants and status codes, serving the one key
/// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Biosinfo from the
/// machine's firmware information.

#include <cstdio>  // printf, fflush, getchar: the console

/// Makes a write that the console cannot take fail like any other, so the run
/// goes on: as on Windows, where a reader that has gone away ends nothing.
void prepare_console();

#if defined(_WIN32)

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#else

#include <cstdint>

using LONG = std::int32_t;  ///< A registry status: 0, or the platform's error code.
using DWORD = std::uint32_t;
using BYTE = unsigned char;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using LPCSTR = const char*;
using REGSAM = DWORD;
// The platform's own name for the handle type.
struct HKEY__;  // NOLINT(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
using HKEY = HKEY__*;
using PHKEY = HKEY*;

/// The predefined root key, sign-extended to a pointer as the platform does.
// NOLINTBEGIN(performance-no-int-to-ptr): a predefined handle is a number.
inline HKEY const HKEY_LOCAL_MACHINE =
    reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<LONG>(0x80000002U)));
// NOLINTEND(performance-no-int-to-ptr)

constexpr REGSAM KEY_READ = 0x20019;
constexpr DWORD REG_SZ = 1;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_READ_FAULT = 30;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;

/// Opens `sub_key` under `key`. On 0, `*result` is a handle for the query and
/// the close; on any other status no handle exists.
LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM desired, PHKEY result);

/// Copies the value `value_name` of `key` into `data`, which holds `*data_size`
/// bytes, and sets `*data_size` to the bytes written. A value larger than
/// `*data_size` gives ERROR_MORE_DATA and sets `*data_size` to the size needed.
LONG RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD data_size);

/// Releases a handle from RegOpenKeyExA.
LONG RegCloseKey(HKEY key);

#endif
