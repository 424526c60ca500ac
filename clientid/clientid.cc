// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
#include "clientid/clientid.h"

#include <algorithm>
#include <cstdio>

date_part join_date_fields(std::string_view text) {
  text = text.substr(0, bios_date_capacity);
  const auto* const end = std::ranges::find(text, '\0');
  date_part part{};
  std::remove_copy(text.begin(), end, part.begin(), '/');
  return part;
}

void print_client_id(const date_part& part) {
  std::printf("\n\nYour client id is : %s%s\n", client_id_prefix, part.data());
}
