// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
// Fuzzes the way from what the registry query hands back to the identifier
// line. An input is the byte count the query returned (its first byte, taken
// modulo 21) and the bytes of the 20-byte receiving buffer (the rest, zero
// bytes and any type's bytes alike). The bytes behind the count are poisoned,
// so any read of them is reported.

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "clientid/clientid.h"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  (void)std::freopen("/dev/null", "w", stdout);  // the identifier lines are not wanted here
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t count = input[0] % (bios_date_capacity + 1);
  alignas(8) std::array<char, bios_date_capacity> buffer{};
  std::memcpy(buffer.data(), input + 1, std::min(size - 1, buffer.size()));
  ASAN_POISON_MEMORY_REGION(buffer.data() + count, buffer.size() - count);

  const date_part part = join_date_fields({buffer.data(), count});
  print_client_id(part);
  ASAN_UNPOISON_MEMORY_REGION(buffer.data(), buffer.size());

  // What must always hold: the text up to its first zero byte, less every '/',
  // zero-terminated and zero-filled behind.
  std::size_t expected = 0;
  for (std::size_t i = 0; i < count && buffer.at(i) != '\0'; ++i) {
    if (buffer.at(i) == '/') continue;
    if (part.at(expected) != buffer.at(i)) std::abort();
    ++expected;
  }
  for (std::size_t i = expected; i < part.size(); ++i)
    if (part.at(i) != '\0') std::abort();
  if (std::memchr(part.data(), '/', part.size()) != nullptr) std::abort();
  return 0;
}
