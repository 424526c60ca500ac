// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
// The identifier logic where the process cannot reach: texts bounded by their
// size, and a date part that is never written past.

#include "clientid/clientid.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::literals;

TEST(JoinDateFields, ReadsOnlyUpToTheSizeAndTheFirstZeroByte) {
  // Each text is a window on a larger buffer: bytes past the window must not show.
  constexpr std::string_view buffer = "01/02/2003/Z\0XYZ/7777777777777777777777"sv;
  struct row {
    std::size_t size;
    std::string part;
  };
  for (const row& r :
       {row{0, ""}, row{1, "0"}, row{3, "01"}, row{5, "0102"}, row{12, "01022003Z"}}) {
    const date_part part = join_date_fields(buffer.substr(0, r.size));
    EXPECT_EQ(std::string(part.data()), r.part) << r.size;
  }
  EXPECT_EQ(std::string(join_date_fields(buffer.substr(0, 16)).data()), "01022003Z");
}

TEST(JoinDateFields, FillsTheFieldAtMostToItsLastByteAndZeroFillsBehind) {
  const std::string many(64, '7');
  const date_part full = join_date_fields(many);  // more than the value can hold
  EXPECT_EQ(std::string(full.data()), many.substr(0, bios_date_capacity));
  EXPECT_EQ(full.back(), '\0');

  const date_part part = join_date_fields("1/2/3");
  EXPECT_EQ(std::string(part.data(), part.size()), std::string("123") + std::string(18, '\0'));
}

}  // namespace
