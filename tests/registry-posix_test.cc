// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
// The stand-in registry against a firmware folder of the test's own.

#include "platform/registry-posix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

namespace {

constexpr const char* biosinfo = "SYSTEM\\CurrentControlSet\\Control\\Biosinfo";

class FirmwareFolder : public testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(mkdtemp(dir.data()), nullptr); }
  void TearDown() override {
    std::remove(file().c_str());
    rmdir(dir.data());
  }
  std::string file() const { return std::string(dir.data()) + "/bios_date"; }
  void write_date(const std::string& text) const {
    std::ofstream(file(), std::ios::binary) << text;
  }

  // Opens the key and queries the value into a buffer of `capacity` bytes.
  LONG query(DWORD capacity, std::string& value, DWORD& size) const {
    HKEY key = nullptr;
    const LONG opened = open_firmware_key(dir.data(), HKEY_LOCAL_MACHINE, biosinfo, &key);
    if (opened != ERROR_SUCCESS) return opened;
    std::array<BYTE, 64> buffer{};
    buffer.fill('#');
    DWORD type = 0;
    size = capacity;
    const LONG status = query_firmware_value(dir.data(), key, "SystemBiosDate", nullptr, &type,
                                             buffer.data(), &size);
    EXPECT_EQ(buffer.at(capacity), '#') << "written past the byte count";
    if (status == ERROR_SUCCESS) {
      EXPECT_EQ(type, REG_SZ);
    }
    value.assign(reinterpret_cast<const char*>(buffer.data()), status == ERROR_SUCCESS ? size : 0);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    return status;
  }

  std::array<char, 32> dir = {"/tmp/firmware-XXXXXX"};
};

TEST_F(FirmwareFolder, ServesTheDateFileAsAZeroTerminatedString) {
  using namespace std::literals;
  struct row {
    std::optional<std::string> file;
    DWORD capacity;
    LONG status;
    DWORD size;
    std::string value;
  };
  const row rows[] = {
      // A four-digit year is served in two digits, as Windows records it.
      {"03/14/2015\n", 20, ERROR_SUCCESS, 9, "03/14/15\0"s},
      {"03/14/2015", 20, ERROR_SUCCESS, 9, "03/14/15\0"s},
      {"03/14/2015\n", 9, ERROR_SUCCESS, 9, "03/14/15\0"s},
      {"03/14/2015\n", 8, ERROR_MORE_DATA, 9, ""},
      {"03/14/2015\n", 0, ERROR_MORE_DATA, 9, ""},
      // Every other text as it is.
      {"03/14/15\n", 20, ERROR_SUCCESS, 9, "03/14/15\0"s},
      {"3/14/2015\n", 20, ERROR_SUCCESS, 10, "3/14/2015\0"s},
      {"03/14/20155\n", 20, ERROR_SUCCESS, 12, "03/14/20155\0"s},
      {"03-14-2015\n", 20, ERROR_SUCCESS, 11, "03-14-2015\0"s},
      {"03/14/2O15\n", 20, ERROR_SUCCESS, 11, "03/14/2O15\0"s},
      {"0a/14/2015\n", 20, ERROR_SUCCESS, 11, "0a/14/2015\0"s},
      {"03/14/20f5\n", 20, ERROR_SUCCESS, 11, "03/14/20f5\0"s},
      {"03/14/2015\r\n", 20, ERROR_SUCCESS, 12, "03/14/2015\r\0"s},
      {"03/14/2015\n\n", 20, ERROR_SUCCESS, 12, "03/14/2015\n\0"s},
      {"\n", 20, ERROR_SUCCESS, 1, "\0"s},
      {"", 20, ERROR_SUCCESS, 1, "\0"s},
      {"0123456789012345678\n", 20, ERROR_SUCCESS, 20, "0123456789012345678\0"s},
      {"01234567890123456789\n", 20, ERROR_MORE_DATA, 21, ""},
      {std::string(300, '7'), 20, ERROR_MORE_DATA, 301, ""},
      {std::string(4096, '7'), 20, ERROR_MORE_DATA, 4097, ""},
      {std::string(4097, '7'), 20, ERROR_READ_FAULT, 20, ""},
      {std::nullopt, 20, ERROR_FILE_NOT_FOUND, 20, ""},
  };
  for (const row& r : rows) {
    unlink(file().c_str());
    if (r.file) write_date(*r.file);
    std::string value;
    DWORD size = 0;
    EXPECT_EQ(query(r.capacity, value, size), r.status) << r.file.value_or("(none)");
    EXPECT_EQ(size, r.size) << r.file.value_or("(none)");
    EXPECT_EQ(value, r.value) << r.file.value_or("(none)");
  }
}

TEST_F(FirmwareFolder, OpensOnlyTheBiosinfoKeyOfAnExistingFolder) {
  struct row {
    HKEY root;
    const char* sub_key;
    const char* folder;
    LONG status;
  };
  const row rows[] = {
      {HKEY_LOCAL_MACHINE, biosinfo, dir.data(), ERROR_SUCCESS},
      {HKEY_LOCAL_MACHINE, "system\\currentcontrolset\\control\\BIOSINFO", dir.data(),
       ERROR_SUCCESS},
      {HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control", dir.data(), ERROR_FILE_NOT_FOUND},
      {HKEY_LOCAL_MACHINE, nullptr, dir.data(), ERROR_FILE_NOT_FOUND},
      {nullptr, biosinfo, dir.data(), ERROR_FILE_NOT_FOUND},
      {HKEY_LOCAL_MACHINE, biosinfo, "/nonexistent/firmware", ERROR_FILE_NOT_FOUND},
  };
  for (const row& r : rows) {
    HKEY key = nullptr;
    EXPECT_EQ(open_firmware_key(r.folder, r.root, r.sub_key, &key), r.status)
        << (r.sub_key != nullptr ? r.sub_key : "(null)") << " in " << r.folder;
    EXPECT_EQ(key != nullptr, r.status == ERROR_SUCCESS);
  }
}

TEST_F(FirmwareFolder, QueriesOnlySystemBiosDate) {
  write_date("03/14/2015\n");
  HKEY key = nullptr;
  ASSERT_EQ(open_firmware_key(dir.data(), HKEY_LOCAL_MACHINE, biosinfo, &key), ERROR_SUCCESS);
  std::array<BYTE, 20> buffer{};
  DWORD size = buffer.size();
  EXPECT_EQ(query_firmware_value(dir.data(), key, "SystemBiosVersion", nullptr, nullptr,
                                 buffer.data(), &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(query_firmware_value(dir.data(), HKEY_LOCAL_MACHINE, "SystemBiosDate", nullptr, nullptr,
                                 buffer.data(), &size),
            ERROR_INVALID_HANDLE);
  EXPECT_EQ(query_firmware_value(dir.data(), key, "SystemBiosDate", nullptr, nullptr, buffer.data(),
                                 nullptr),
            ERROR_INVALID_PARAMETER);
}

TEST_F(FirmwareFolder, StrangeFilesNeitherHangNorOverflow) {
  struct row {
    const char* what;
    int (*make)(const char* path);
    LONG status;
  };
  const row rows[] = {
      {"a FIFO without writer", [](const char* path) { return mkfifo(path, 0600); }, ERROR_SUCCESS},
      {"an endless file", [](const char* path) { return symlink("/dev/zero", path); },
       ERROR_READ_FAULT},
      {"a folder", [](const char* path) { return mkdir(path, 0700); }, ERROR_READ_FAULT},
  };
  for (const row& r : rows) {
    std::remove(file().c_str());
    ASSERT_EQ(r.make(file().c_str()), 0) << r.what;
    std::string value;
    DWORD size = 0;
    EXPECT_EQ(query(20, value, size), r.status) << r.what;
  }
}

TEST_F(FirmwareFolder, UnreadableDateIsAccessDenied) {
  write_date("03/14/2015\n");
  ASSERT_EQ(chmod(file().c_str(), 0), 0);
  ASSERT_EQ(chmod(dir.data(), 0755), 0);
  // Root reads any file: give up root in a child, as an ordinary user would run.
  EXPECT_EXIT(
      {
        if (geteuid() == 0 && setuid(65534) != 0) std::_Exit(100);
        std::string value;
        DWORD size = 0;
        std::_Exit(static_cast<int>(query(20, value, size)));
      },
      testing::ExitedWithCode(ERROR_ACCESS_DENIED), "");
}

}  // namespace
