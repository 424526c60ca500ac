// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
#pragma once
/// The client identifier: the fixed prefix followed by the BIOS date with
/// every '/' removed.

#include <array>
#include <cstddef>
#include <string_view>

/// Bytes the registry value may fill: the capacity of the receiving buffer.
constexpr std::size_t bios_date_capacity = 20;

/// The date part: room for every byte the date text can carry, and a zero byte
/// behind them, so no date text is ever cut or written past the field.
using date_part = std::array<char, bios_date_capacity + 1>;

/// The word in front of every identifier.
constexpr const char* client_id_prefix = "quillbrook";

/// Returns the date text with every '/' removed, zero-terminated and
/// zero-filled behind. The text ends at its first zero byte or at the end of
/// `text`, whichever comes first; at most `bios_date_capacity` bytes are read.
date_part join_date_fields(std::string_view text);

/// Writes the identifier line "\n\nYour client id is : <prefix><date part>\n"
/// to standard output.
void print_client_id(const date_part& part);
