// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
#pragma once
/// The workings of the stand-in registry, with the firmware folder as a
/// parameter. The program's registry operations always use `firmware_dir`;
/// tests point them at a folder of their own.

#include "platform/platform.h"

/// Where the kernel publishes the machine's firmware information.
constexpr const char* firmware_dir = "/sys/class/dmi/id";

/// RegOpenKeyExA over `dir`: only HKEY_LOCAL_MACHINE with the Biosinfo subkey
/// (compared case-insensitively) opens, and only while `dir` is a folder.
LONG open_firmware_key(const char* dir, HKEY key, LPCSTR sub_key, PHKEY result);

/// RegQueryValueExA over `dir`: SystemBiosDate is the file `bios_date`, less
/// one trailing line feed, as Windows records it (a date "MM/DD/YYYY" with its
/// year in two digits, "MM/DD/YY"), as REG_SZ with its zero byte. A file longer
/// than a page is not the firmware's: ERROR_READ_FAULT.
LONG query_firmware_value(const char* dir, HKEY key, LPCSTR value_name, LPDWORD reserved,
                          LPDWORD type, LPBYTE data, LPDWORD data_size);
