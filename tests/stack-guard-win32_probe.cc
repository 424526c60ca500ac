// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
// Built as the program is, with its stack guard: copies its argument into an
// 8-byte buffer, then prints the buffer and the guard.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

extern "C" std::uintptr_t __stack_chk_guard;  // NOLINT(bugprone-reserved-identifier)

int main(int argc, char** argv) {
  std::array<char, 8> buffer{};
  if (argc > 1) std::strcpy(buffer.data(), argv[1]);  // overruns from 8 characters on
  std::printf("%s %p\n", buffer.data(), reinterpret_cast<void*>(__stack_chk_guard));
}
