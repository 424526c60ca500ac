// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
// A scripted registry for running the program as a process. The script comes
// from the environment:
//   FAKE_OPEN=N    the open returns N
//   FAKE_QUERY=N   the query returns N
//   FAKE_TYPE=T    the value exists with type T ...
//   FAKE_DATA=HEX  ... and these bytes; without FAKE_TYPE there is no value
// Every call is recorded on descriptor 3, with its arguments; so are the flush
// of standard output and the read of standard input, on their way to the C
// library (the program is linked with --wrap for them).

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/platform.h"

struct HKEY__ {};  // NOLINT(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)

namespace {

HKEY__ fake_key{};

long script(const char* name, long otherwise) {
  const char* text = std::getenv(name);
  return text == nullptr ? otherwise : std::strtol(text, nullptr, 0);
}

std::string stored_bytes() {
  const char* hex = std::getenv("FAKE_DATA");
  std::string bytes;
  for (std::size_t i = 0; hex != nullptr && hex[i] != '\0' && hex[i + 1] != '\0'; i += 2)
    bytes.push_back(static_cast<char>(std::stoi(std::string(hex + i, 2), nullptr, 16)));
  return bytes;
}

}  // namespace

LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM desired, PHKEY result) {
  dprintf(3, "open %lx %s %lu %lx\n",
          static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(key)) & 0xffffffffUL, sub_key,
          static_cast<unsigned long>(options), static_cast<unsigned long>(desired));
  const auto status = static_cast<LONG>(script("FAKE_OPEN", ERROR_SUCCESS));
  if (status == ERROR_SUCCESS) *result = &fake_key;
  return status;
}

LONG RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD data_size) {
  dprintf(3, "query %s %s %s %lu\n", key == &fake_key ? "key" : "other", value_name,
          reserved == nullptr ? "none" : "reserved", static_cast<unsigned long>(*data_size));
  const auto status = static_cast<LONG>(script("FAKE_QUERY", ERROR_SUCCESS));
  if (status != ERROR_SUCCESS) return status;
  if (std::getenv("FAKE_TYPE") == nullptr) return ERROR_FILE_NOT_FOUND;
  const std::string bytes = stored_bytes();
  *type = static_cast<DWORD>(script("FAKE_TYPE", 0));
  if (bytes.size() > *data_size) {
    *data_size = static_cast<DWORD>(bytes.size());
    return ERROR_MORE_DATA;
  }
  // A real query may leave scratch bytes behind the value: so does this one.
  std::memset(data, '#', *data_size);
  std::memcpy(data, bytes.data(), bytes.size());
  *data_size = static_cast<DWORD>(bytes.size());
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  dprintf(3, "close %s\n", key == &fake_key ? "key" : "other");
  return ERROR_SUCCESS;
}

extern "C" int __real_fflush(std::FILE* stream);
extern "C" int __wrap_fflush(std::FILE* stream) {
  dprintf(3, "%s\n", stream == stdout ? "flush" : "flush other");
  return __real_fflush(stream);
}

extern "C" int __real_getchar();
extern "C" int __wrap_getchar() {
  dprintf(3, "wait\n");
  return __real_getchar();
}
