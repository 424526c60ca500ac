// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
// The client identifier report: reads the BIOS date from the registry, shows
// the client identifier and waits for ENTER. Every path exits with status 0;
// a failed registry step is reported by its line.

#include <algorithm>
#include <array>
#include <string_view>

#include "clientid/clientid.h"
#include "platform/platform.h"

namespace {

constexpr const char* biosinfo_key = "SYSTEM\\CurrentControlSet\\Control\\Biosinfo";
constexpr const char* bios_date_value = "SystemBiosDate";

}  // namespace

int main() {
  prepare_console();

  std::array<char, bios_date_capacity> value{};
  DWORD size = value.size();

  HKEY key = nullptr;
  LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, biosinfo_key, 0, KEY_READ, &key);
  if (status != ERROR_SUCCESS) {
    std::printf("Key open failed, error %ld\n", static_cast<long>(status));
    return 0;
  }

  DWORD type = 0;
  status = RegQueryValueExA(key, bios_date_value, nullptr, &type,
                            reinterpret_cast<LPBYTE>(value.data()), &size);
  if (status != ERROR_SUCCESS) {
    std::printf("value query failed, error %ld\n", static_cast<long>(status));
  } else {
    // Only the bytes the query returned are the date text.
    const std::string_view text(value.data(), std::min<std::size_t>(size, value.size()));
    print_client_id(join_date_fields(text));
    std::printf("\n*** Press ENTER to exit***\n");
    std::fflush(stdout);  // the prompt is on the console before the wait
    (void)std::getchar();
  }

  RegCloseKey(key);
  return 0;
}
