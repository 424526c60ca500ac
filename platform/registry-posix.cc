#include "platform/registry-posix.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

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

int open_dir(const char* dir) { return open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC); }

/// The most the kernel writes in one attribute file: one page. A longer file
/// is not the firmware's and is not read to its end.
constexpr std::size_t max_file_size = 4096;

/// Reads all of `fd`: the first `room` bytes into `data`, the rest only
/// counted. Gives the file's length and its last byte, or a status.
LONG read_all(int fd, BYTE* data, std::size_t room, std::size_t& length, BYTE& last) {
  constexpr std::size_t chunk_size = 64;
  std::array<BYTE, chunk_size> chunk{};
  length = 0;
  for (;;) {
    if (length > max_file_size) return ERROR_READ_FAULT;
    const ssize_t got = read(fd, chunk.data(), chunk.size());
    if (got == 0) return ERROR_SUCCESS;
    if (got < 0) {
      if (errno == EINTR) continue;
      return status_of(errno);
    }
    const auto count = static_cast<std::size_t>(got);
    if (length < room) std::memcpy(data + length, chunk.data(), std::min(count, room - length));
    length += count;
    last = chunk[count - 1];
  }
}

}  // namespace

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

  const std::size_t room = data != nullptr && data_size != nullptr ? *data_size : 0;
  std::size_t length = 0;
  BYTE last = 0;
  const LONG status = read_all(fd, data, room, length, last);
  close(fd);
  if (status != ERROR_SUCCESS) return status;

  if (length > 0 && last == '\n') --length;  // file formatting, not part of the date
  const std::size_t needed = length + 1;     // the text and its zero byte
  if (type != nullptr) *type = REG_SZ;
  if (data_size == nullptr) return ERROR_SUCCESS;
  if (data != nullptr && needed > room) {
    *data_size = static_cast<DWORD>(needed);
    return ERROR_MORE_DATA;
  }
  if (data != nullptr) data[length] = 0;
  *data_size = static_cast<DWORD>(needed);
  return ERROR_SUCCESS;
}

LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD /*options*/, REGSAM /*desired*/, PHKEY result) {
  return open_firmware_key(firmware_dir, key, sub_key, result);
}

LONG RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD data_size) {
  return query_firmware_value(firmware_dir, key, value_name, reserved, type, data, data_size);
}

LONG RegCloseKey(HKEY key) { return key == &biosinfo_key ? ERROR_SUCCESS : ERROR_INVALID_HANDLE; }
