// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
#include <csignal>

#include "platform/platform.h"

void prepare_console() {
  // A write to a pipe whose reader has gone fails with EPIPE instead of
  // ending the process.
  std::signal(SIGPIPE, SIG_IGN);
}
