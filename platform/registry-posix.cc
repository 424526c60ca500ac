// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
#include "platform/registry-posix.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <span>
#include <string_view>

/// The handle of the one key the stand-in serves.
struct HKEY__ {};  // NOLINT(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)

namespace {

constexpr const char* biosinfo_path = "SYSTEM\\CurrentControlSet\\Control\\Biosinfo";
constexpr const char* bios_date_value = "SystemBiosDate";
constexpr const char* bios_date_file = "bios_date";

HKEY__ biosinfo_key{};

/// The registry status for a failed file operation.
LONG status_of(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
      return ERROR_ACCESS_DENIED;
    default:
      return ERROR_READ_FAULT;
  }
}

int open_dir(const char* dir) { return openat(AT_FDCWD, dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC); }

/// The most the kernel writes in one attribute file: one page. A longer file
/// is not the firmware's and is not read to its end.
constexpr std::size_t max_file_size = 4096;

/// Reads `fd` to its end into `file`, which has room for one byte more than
/// the longest file served, and sets `length`. Gives a status.
LONG read_file(int fd, std::span<char, max_file_size + 1> file, std::size_t& length) {
  length = 0;
  while (length < file.size()) {
    const ssize_t got = read(fd, file.data() + length, file.size() - length);
    if (got == 0) return ERROR_SUCCESS;
    if (got < 0) {
      if (errno == EINTR) continue;
      return status_of(errno);
    }
    length += static_cast<std::size_t>(got);
  }
  return ERROR_READ_FAULT;  // longer than a page
}

/// The date `text` as Windows records it, rewritten in place; any other text as it is.
// Windows keeps SystemBiosDate with a two-digit year: "MM/DD/YYYY" is recorded as "MM/DD/YY".
std::string_view windows_bios_date(std::span<char> text) {
  constexpr std::string_view long_form = "00/00/0000";  // '0' stands for a digit
  constexpr std::size_t year = long_form.size() - 4;
  const auto fits = [](char c, char s) { return s == '/' ? c == '/' : c >= '0' && c <= '9'; };
  if (!std::ranges::equal(text, long_form, fits)) return {text.data(), text.size()};
  text[year] = text[year + 2];
  text[year + 1] = text[year + 3];
  return {text.data(), year + 2};
}

}  // namespace

// cppcheck-suppress [constParameter,constParameterPointer]: the platform's signature
LONG open_firmware_key(const char* dir, HKEY key, LPCSTR sub_key, PHKEY result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  if (key != HKEY_LOCAL_MACHINE || sub_key == nullptr || strcasecmp(sub_key, biosinfo_path) != 0)
    return ERROR_FILE_NOT_FOUND;
  const int dir_fd = open_dir(dir);
  if (dir_fd < 0) return status_of(errno);
  close(dir_fd);
  *result = &biosinfo_key;
  return ERROR_SUCCESS;
}

// cppcheck-suppress [constParameter,constParameterPointer]: the platform's signature
// NOLINTNEXTLINE(readability-non-const-parameter): the platform's signature
LONG query_firmware_value(const char* dir, HKEY key, LPCSTR value_name, LPDWORD reserved,
                          LPDWORD type, LPBYTE data, LPDWORD data_size) {
  if (key != &biosinfo_key) return ERROR_INVALID_HANDLE;
  if (reserved != nullptr || (data != nullptr && data_size == nullptr))
    return ERROR_INVALID_PARAMETER;
  if (value_name == nullptr || strcasecmp(value_name, bios_date_value) != 0)
    return ERROR_FILE_NOT_FOUND;

  const int dir_fd = open_dir(dir);
  if (dir_fd < 0) return status_of(errno);
  // Non-blocking, so that a FIFO in the file's place cannot hold the program.
  const int fd = openat(dir_fd, bios_date_file, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  const int open_error = errno;
  close(dir_fd);
  if (fd < 0) return status_of(open_error);

  std::array<char, max_file_size + 1> file;  // filled by the read
  std::size_t length = 0;
  const LONG status = read_file(fd, file, length);
  close(fd);
  if (status != ERROR_SUCCESS) return status;

  std::span<char> text(file.data(), length);
  if (!text.empty() && text.back() == '\n') text = text.first(text.size() - 1);  // file formatting
  const std::string_view date = windows_bios_date(text);
  const auto needed = static_cast<DWORD>(date.size() + 1);  // the text and its zero byte
  if (type != nullptr) *type = REG_SZ;
  if (data_size == nullptr) return ERROR_SUCCESS;
  if (data != nullptr && needed > *data_size) {
    *data_size = needed;
    return ERROR_MORE_DATA;
  }
  if (data != nullptr) {
    std::memcpy(data, date.data(), date.size());
    data[date.size()] = 0;
  }
  *data_size = needed;
  return ERROR_SUCCESS;
}

LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD /*options*/, REGSAM /*desired*/, PHKEY result) {
  return open_firmware_key(firmware_dir, key, sub_key, result);
}

LONG RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD data_size) {
  return query_firmware_value(firmware_dir, key, value_name, reserved, type, data, data_size);
}

// cppcheck-suppress [constParameter,constParameterPointer]: the platform's signature
LONG RegCloseKey(HKEY key) { return key == &biosinfo_key ? ERROR_SUCCESS : ERROR_INVALID_HANDLE; }
