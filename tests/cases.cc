// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
#include "cases.h"

#include <array>
#include <cctype>
#include <fstream>
#include <sstream>

namespace {

constexpr std::array<std::string_view, 4> value_types = {"sz", "expand_sz", "binary", "dword"};

// Reads one token: a bare word, or a quoted string with its escapes undone.
bool next_token(std::string_view& line, std::string& token) {
  while (!line.empty() && std::isspace(static_cast<unsigned char>(line.front())) != 0)
    line.remove_prefix(1);
  token.clear();
  if (line.empty()) return false;
  if (line.front() != '"') {
    const std::size_t end = std::min(line.find_first_of(" \t"), line.size());
    token = line.substr(0, end);
    line.remove_prefix(end);
    return true;
  }
  std::size_t i = 1;
  for (; i < line.size() && line[i] != '"'; ++i) {
    char c = line[i];
    if (c == '\\' && i + 1 < line.size()) {
      c = line[++i];
      if (c == 'n') c = '\n';
      if (c == '0') c = '\0';
      if (c == 'x' && i + 2 < line.size()) {
        c = static_cast<char>(std::stoi(std::string(line.substr(i + 1, 2)), nullptr, 16));
        i += 2;
      }
    }
    token.push_back(c);
  }
  line.remove_prefix(std::min(i + 1, line.size()));
  return true;
}

}  // namespace

std::vector<registry_case> load_cases(const std::string& path) {
  std::vector<registry_case> rows;
  std::ifstream file(path);
  if (!file) return {{"malformed", "", 0, "", "cannot read " + path}};
  std::string text;
  while (std::getline(file, text)) {
    std::string_view line = text;
    registry_case row;
    if (!next_token(line, row.name) || row.name.front() == '#') continue;
    std::string arg;
    next_token(line, row.holds);
    if (row.holds == "open-status" || row.holds == "query-status") {
      next_token(line, arg);
      row.status = std::stol(arg);
    } else if (value_type(row) != 0) {
      next_token(line, row.data);
    }
    if (!next_token(line, row.expected) || next_token(line, arg))
      return {{"malformed", "", 0, "", "malformed row: " + text}};
    rows.push_back(row);
  }
  return rows;
}

std::string test_name(const registry_case& row) {
  std::string name = row.name;
  for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
  return name;
}

unsigned long value_type(const registry_case& row) {
  for (std::size_t i = 0; i < value_types.size(); ++i)
    if (row.holds == value_types.at(i)) return i + 1;
  return 0;
}

std::string expected_calls(const registry_case& row) {
  std::string calls = "open 80000002 SYSTEM\\CurrentControlSet\\Control\\Biosinfo 0 20019\n";
  if (row.expected.starts_with("Key open failed")) return calls;  // nothing to close
  calls += "query key SystemBiosDate none 20\n";
  if (row.expected.starts_with("value query failed")) return calls + "close key\n";
  return calls + "flush\nwait\nclose key\n";  // the key stays open during the wait
}

std::string to_hex(std::string_view bytes) {
  std::ostringstream out;
  constexpr std::string_view digits = "0123456789abcdef";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    out << digits[byte >> 4] << digits[byte & 15];
  }
  return out.str();
}
