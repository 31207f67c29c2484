// UTF-8 file names to the system's UTF-16 and back, and the system's error codes as the messages the
// program shows on every system.
#include "dvTools/WindowsText.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cerrno>
#include <string>

#include "TempDir.h"
#include "dvTools/Utf8Path.h"
#include "dvTools/dvError.h"

TEST(WindowsText, Utf8AndUtf16RoundTrip) {
  const struct {
    std::string utf8;
    std::wstring wide;
  } rows[] = {
      {"", L""},
      {"plate.nc", L"plate.nc"},
      {"\xE5\xB9\xB3\xE9\x9D\xA2 \xC3\xBC (2).nc", L"\u5E73\u9762 \u00FC (2).nc"},
      {"\xF0\x9D\x94\x98.nc", L"\xD835\xDD18.nc"},  // beyond 16 bits: a surrogate pair
      {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(WideFromUtf8(r.utf8), r.wide) << r.utf8;
    EXPECT_EQ(Utf8FromWide(r.wide), r.utf8) << r.utf8;
    EXPECT_EQ(PathFromUtf8(r.utf8).native(), r.wide) << r.utf8;
    EXPECT_EQ(Utf8FromPath(PathFromUtf8(r.utf8)), r.utf8) << r.utf8;
  }
}

TEST(WindowsText, AFileNameOutsideTheCodePageReachesTheDisk) {
  TempDir dir;
  const std::string name = "\xE5\xB9\xB3\xE9\x9D\xA2 \xF0\x9D\x94\x98.nc";
  WriteBytes(dir.path() / PathFromUtf8(name), "x");
  ASSERT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  EXPECT_EQ(Utf8FromPath(std::filesystem::directory_iterator(dir.path())->path().filename()), name);
}

TEST(WindowsText, SystemErrorsReadAsOnLinux) {
  const struct {
    DWORD error;
    int errorNumber;
    const char* reason;
  } rows[] = {
      {ERROR_FILE_NOT_FOUND, ENOENT, "No such file or directory"},
      {ERROR_PATH_NOT_FOUND, ENOENT, "No such file or directory"},
      {ERROR_ACCESS_DENIED, EACCES, "Permission denied"},
      {ERROR_SHARING_VIOLATION, EACCES, "Permission denied"},
      {ERROR_ALREADY_EXISTS, EEXIST, "File exists"},
      {ERROR_DISK_FULL, ENOSPC, "No space left on device"},
      {ERROR_HANDLE_DISK_FULL, ENOSPC, "No space left on device"},
      {ERROR_DIRECTORY, ENOTDIR, "Not a directory"},
      {ERROR_GEN_FAILURE, EIO, "Input/output error"},  // anything else
  };
  for (const auto& r : rows) {
    EXPECT_EQ(ErrnoOfSystemError(r.error), r.errorNumber) << r.error;
    EXPECT_EQ(SystemReason(ErrnoOfSystemError(r.error)), r.reason) << r.error;
  }
  // The reasons the file layer gives by number.
  EXPECT_EQ(SystemReason(EISDIR), "Is a directory");
  EXPECT_EQ(SystemReason(EBADF), "Bad file descriptor");
}
