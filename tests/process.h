// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
#pragma once
// Runs a program as a process, with its standard streams in files or pipes.

#include <string>
#include <string_view>
#include <vector>

using arguments = std::vector<std::string>;

struct run_result {
  int exit_code = -1;        // -1: killed, or still waiting when the time ran out
  std::string out;           // standard output
  std::string err;           // standard error
  std::string log;           // what the program wrote to descriptor 3
  long long input_read = 0;  // bytes of standard input the program consumed
  int spawn_error = 0;       // the error number when the program could not be started
};

/// Runs `argv` with `env` added to this process's environment, standard input
/// read from a file holding `input`, and kills it after `timeout_ms`.
run_result run_program(const arguments& argv, const arguments& env, std::string_view input,
                       int timeout_ms = 20000);

struct wait_probe {
  std::string shown;    // standard output read while the input was held back
  bool waited = false;  // still running `hold_ms` after showing it
  int exit_code = -1;   // after a line arrived
};

/// Runs `argv` with standard input and output on pipes: reads its output until
/// `expected_bytes` have arrived, holds the input back for `hold_ms`, then
/// sends one line and waits for the end.
wait_probe run_with_held_input(const arguments& argv, const arguments& env,
                               std::size_t expected_bytes, int hold_ms);
