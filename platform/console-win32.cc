// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
#include <array>

#include "platform/platform.h"

namespace {

/// Room for everything the program prints.
constexpr std::size_t output_buffer_size = 512;
std::array<char, output_buffer_size> output_buffer;

}  // namespace

void prepare_console() {
  // The C runtime leaves a console's standard output unbuffered, so each
  // character would be a write of its own. Buffered in full, the output
  // reaches the console when the program flushes before the wait, or at exit.
  // A write that fails just fails on Windows.
  std::setvbuf(stdout, output_buffer.data(), _IOFBF, output_buffer.size());
}
