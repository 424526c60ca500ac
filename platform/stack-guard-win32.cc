// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
// The stack protector's guard and its failure on Windows. A protected function
// keeps a copy of `__stack_chk_guard` in its frame and calls `__stack_chk_fail`
// when the copy has changed by the time it returns. The program provides both.
// Images of Windows' own compiler have their stack cookie seeded by the loader,
// through their load configuration; this image has none, so the guard is seeded
// here, at start-up, the way that compiler's runtime seeds its cookie where the
// loader has not: from values KERNEL32 gives. KERNEL32 alone, since a DLL that
// is not always taken from System32 could be planted beside the program and
// would run before main.

#include <cstdint>

#include "platform/platform.h"

namespace {

/// The guard before it is seeded: the one Windows uses before it seeds its own.
constexpr std::uintptr_t initial_guard = sizeof(std::uintptr_t) == 8
                                             ? static_cast<std::uintptr_t>(0x00002B992DDFA232ULL)
                                             : std::uintptr_t{0xBB40E64E};

}  // namespace

extern "C" {

// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the compiler's names.

/// The value each protected frame keeps a copy of: random, never zero.
std::uintptr_t __stack_chk_guard = initial_guard;

/// Ends the process at once, as Windows ends one whose stack cookie check
/// failed: fail fast with STATUS_STACK_BUFFER_OVERRUN, nothing printed, no
/// handler run; where fail fast is missing, terminated with that status.
[[noreturn]] void __stack_chk_fail() {
  if (IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE) != FALSE)
    __asm__ volatile("int $0x29" : : "c"(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE) : "memory");
  TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
  __builtin_trap();
}

// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)

}  // extern "C"

namespace {

/// Bits in half of the 64-bit seed.
constexpr unsigned half_seed_bits = 32;

/// Spreads every bit of `value` over all 64 (the finalizer of SplitMix64).
constexpr std::uint64_t mix(std::uint64_t value) {
  // NOLINTBEGIN(readability-magic-numbers): SplitMix64's published shifts and multipliers.
  value = (value ^ (value >> 30U)) * 0xBF58476D1CE4E5B9ULL;
  value = (value ^ (value >> 27U)) * 0x94D049BB133111EBULL;
  return value ^ (value >> 31U);
  // NOLINTEND(readability-magic-numbers)
}

/// Seeds the guard before main and every constructor after it, from what
/// differs between runs: the system time and the tick count (both move only
/// at the timer tick, every 1 to 15.6 ms), the process and thread ids, the
/// performance counter (finer by far) and where ASLR put the stack. Not
/// protected itself: the guard changes under it.
// The GNU spelling of no_stack_protector: GCC's, and clang's before version 15.
__attribute__((constructor(101), no_stack_protector)) void seed_stack_guard() {
  FILETIME time{};
  GetSystemTimeAsFileTime(&time);
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  std::uint64_t seed =
      mix((std::uint64_t{time.dwHighDateTime} << half_seed_bits) | time.dwLowDateTime);
  seed =
      mix(seed ^ ((std::uint64_t{GetCurrentProcessId()} << half_seed_bits) | GetCurrentThreadId()));
  seed = mix(seed ^ GetTickCount());
  seed = mix(seed ^ static_cast<std::uint64_t>(counter.QuadPart));
  seed = mix(seed ^ reinterpret_cast<std::uintptr_t>(&time));
  // All 64 bits, in 32 too; never zero.
  const auto guard = static_cast<std::uintptr_t>(seed ^ (seed >> half_seed_bits));
  __stack_chk_guard = guard != 0 ? guard : static_cast<std::uintptr_t>(seed) | 1U;
}

}  // namespace
