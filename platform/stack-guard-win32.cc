// The stack protector's guard and its failure on Windows. A protected function
// keeps a copy of `__stack_chk_guard` in its frame and calls `__stack_chk_fail`
// when the copy has changed by the time it returns. The program provides both,
// so that no cryptographic provider is loaded at start-up to seed the guard.

#include <cstdint>

#include "platform/platform.h"

/// RtlGenRandom: fills a buffer from the system's random source (advapi32,
/// since Windows XP), without loading a cryptographic provider.
extern "C" __declspec(dllimport) BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length);

namespace {

/// Where the system gives no random value: the guard Windows uses before it
/// seeds its own.
constexpr std::uintptr_t fallback_guard = sizeof(std::uintptr_t) == 8
                                              ? static_cast<std::uintptr_t>(0x00002B992DDFA232ULL)
                                              : std::uintptr_t{0xBB40E64E};

}  // namespace

extern "C" {

// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the compiler's names.

/// The value each protected frame keeps a copy of: random, never zero.
std::uintptr_t __stack_chk_guard = fallback_guard;

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

/// Seeds the guard before main and every constructor after it. Not protected
/// itself: the guard changes under it.
// The GNU spelling of no_stack_protector: GCC's, and clang's before version 15.
__attribute__((constructor(101), no_stack_protector)) void seed_stack_guard() {
  if (SystemFunction036(&__stack_chk_guard, sizeof __stack_chk_guard) == FALSE ||
      __stack_chk_guard == 0)
    __stack_chk_guard = fallback_guard;
}

}  // namespace
