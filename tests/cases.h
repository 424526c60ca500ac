// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
#pragma once
// The table of registry situations shared by every runner of the program.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

struct registry_case {
  std::string name;
  std::string holds;     // no-key, no-value, open-status, query-status, or a value type
  long status = 0;       // for open-status and query-status
  std::string data;      // the stored bytes of a value
  std::string expected;  // standard output, with \n line ends
};

/// Names the row in test reports.
inline void PrintTo(const registry_case& row, std::ostream* out) { *out << row.name; }

/// The rows of the table file at `path`; an unreadable file or a malformed row
/// gives a row named "malformed" whose expected output says what is wrong.
std::vector<registry_case> load_cases(const std::string& path);

/// The row's name as a test name: letters, digits and underscores.
std::string test_name(const registry_case& row);

/// The registry type number of a value row ("sz" is 1), or 0 for other rows.
unsigned long value_type(const registry_case& row);

/// The calls the program makes for `row`, in order, one a line: the registry
/// calls with their arguments, "flush" of standard output and "wait" for input.
std::string expected_calls(const registry_case& row);

/// The bytes as lower-case hex digits.
std::string to_hex(std::string_view bytes);
