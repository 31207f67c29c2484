#include "dvTools/AtomicFileWriter.h"

#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "TempDir.h"
#include "dvTools/dvError.h"

namespace fs = std::filesystem;

namespace {

std::string ErrorOf(const fs::path& target, const std::string& bytes) {
  try {
    WriteFileAtomically(target, bytes);
  } catch (const EDVError& e) {
    return e.what();
  }
  return "";
}

int FilesIn(const fs::path& dir) {
  return static_cast<int>(std::distance(fs::directory_iterator(dir), {}));
}

}  // namespace

TEST(AtomicFileWriter, WritesNewFileAndReplacesOldOne) {
  TempDir dir;
  WriteFileAtomically(dir / "a.nc", "first\r\n");
  EXPECT_EQ(ReadBytes(dir / "a.nc"), "first\r\n");
  WriteFileAtomically(dir / "a.nc", "x");
  EXPECT_EQ(ReadBytes(dir / "a.nc"), "x");
  WriteFileAtomically(dir / "a.nc", "");
  EXPECT_EQ(ReadBytes(dir / "a.nc"), "");
  EXPECT_EQ(FilesIn(dir.path()), 1);
}

TEST(AtomicFileWriter, LargeWritesArriveWhole) {
  TempDir dir;
  AtomicFileWriter writer(dir / "big.nc");
  std::string expected;
  for (int i = 0; i < 50000; ++i) {
    const std::string line = "G01 X" + std::to_string(i) + ".000\r\n";
    writer.Write(line);
    expected += line;
  }
  writer.Write(std::string(3 << 20, 'z'));  // one block larger than the buffer
  expected += std::string(3 << 20, 'z');
  writer.Commit();
  EXPECT_EQ(ReadBytes(dir / "big.nc"), expected);
}

TEST(AtomicFileWriter, KeepsTargetPermissions) {
  TempDir dir;
  WriteBytes(dir / "p.nc", "old");
  fs::permissions(dir / "p.nc", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  WriteFileAtomically(dir / "p.nc", "new");
  EXPECT_EQ(fs::status(dir / "p.nc").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(AtomicFileWriter, FailuresLeaveTheOldFileAndNoTemporaryFile) {
  TempDir dir;
  WriteBytes(dir / "ro.nc", "old content");
  fs::permissions(dir / "ro.nc", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::create_directory(dir / "folder.nc");

  const struct {
    fs::path target;
    std::string message;
  } rows[] = {
      {dir / "ro.nc", "Cannot create file \"" + (dir / "ro.nc").string() + "\". Permission denied"},
      {dir / "missing" / "x.nc",
       "Cannot create file \"" + (dir / "missing" / "x.nc").string() + "\". No such file or directory"},
      {dir / "folder.nc", "Cannot create file \"" + (dir / "folder.nc").string() + "\". Is a directory"},
  };
  for (const auto& r : rows) EXPECT_EQ(ErrorOf(r.target, "new"), r.message) << r.target;
  EXPECT_EQ(ReadBytes(dir / "ro.nc"), "old content");
  EXPECT_EQ(FilesIn(dir.path()), 2);
}

TEST(AtomicFileWriter, MessageCarriesTheExpandedFullPath) {
  TempDir dir;
  const fs::path relative = fs::relative(dir / "missing" / ".." / "missing" / "y.nc");
  EXPECT_EQ(ErrorOf(relative, "x"),
            "Cannot create file \"" + (dir / "missing" / "y.nc").string() + "\". No such file or directory");
}

TEST(AtomicFileWriter, FullDiskGivesStreamWriteErrorAndKeepsOldFile) {
  TempDir dir;
  WriteBytes(dir / "full.nc", "old content");
  EXPECT_EQ(ErrorOnFullDisk([&] { WriteFileAtomically(dir / "full.nc", std::string(3 << 20, 'x')); }),
            "Stream write error");
  EXPECT_EQ(ReadBytes(dir / "full.nc"), "old content");
  EXPECT_EQ(FilesIn(dir.path()), 1);
}

TEST(AtomicFileWriter, WithoutCommitTheTargetIsUntouched) {
  TempDir dir;
  WriteBytes(dir / "keep.nc", "old");
  {
    AtomicFileWriter writer(dir / "keep.nc");
    writer.Write("half a program");
  }
  EXPECT_EQ(ReadBytes(dir / "keep.nc"), "old");
  EXPECT_EQ(FilesIn(dir.path()), 1);
}
