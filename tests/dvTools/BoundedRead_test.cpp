// Whole-file reads: only regular files, only up to the size limit, never blocking on a pipe; the INI
// reader and the registry hive file go through the same read.
#include "dvTools/BoundedRead.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "TempDir.h"
#include "TestSupport.h"
#include "dvTools/RegistryHive.h"
#include "dvTools/dvError.h"
#include "dvTools/dvIniTools.h"

namespace fs = std::filesystem;

namespace {

// A file of `size` bytes that takes no room on the disk.
void MakeSparse(const fs::path& p, std::uintmax_t size) {
  WriteBytes(p, "");
  fs::resize_file(p, size);
}

}  // namespace

TEST(BoundedRead, ReadsRegularFilesUpToTheLimit) {
  TempDir dir;
  WriteBytes(dir / "a.ini", "X:[%RootKey%]\r\n");
  EXPECT_EQ(ReadRegularFile(dir / "a.ini"), "X:[%RootKey%]\r\n");
  WriteBytes(dir / "ten", "0123456789");
  EXPECT_EQ(ReadRegularFile(dir / "ten", 10), "0123456789");
  WriteBytes(dir / "empty", "");
  EXPECT_EQ(ReadRegularFile(dir / "empty"), "");
}

TEST(BoundedRead, RefusesWhatIsNotARegularFileOrTooLarge) {
  TempDir dir;
#ifndef _WIN32
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
#endif
  fs::create_directory(dir / "folder");
  WriteBytes(dir / "eleven", "0123456789A");
  MakeSparse(dir / "huge.ini", kMaxReadFileBytes + 1);
  const auto cannot = [](const fs::path& p, const std::string& reason) {
    return "Cannot open file \"" + p.string() + "\". " + reason;
  };
  const struct {
    fs::path path;
    std::size_t limit;
    std::string message;
  } rows[] = {
#ifdef _WIN32
      {"NUL", kMaxReadFileBytes, cannot("NUL", "Not a regular file")},  // the null device
#else
      {"/dev/zero", kMaxReadFileBytes, cannot("/dev/zero", "Not a regular file")},
      {"/dev/null", kMaxReadFileBytes, cannot("/dev/null", "Not a regular file")},
      {dir / "pipe", kMaxReadFileBytes, cannot(dir / "pipe", "Not a regular file")},  // would block for ever
#endif
      {dir / "folder", kMaxReadFileBytes, cannot(dir / "folder", "Is a directory")},
      {dir / "missing", kMaxReadFileBytes, cannot(dir / "missing", "No such file or directory")},
      {dir / "eleven", 10, cannot(dir / "eleven", "Larger than the limit of 10 bytes")},
      {dir / "huge.ini", kMaxReadFileBytes,
       cannot(dir / "huge.ini", "Larger than the limit of 16 MiB (16777216 bytes)")},
#ifndef _WIN32
      // A system file that tells its size as 0: the limit holds on what is read.
      {"/proc/self/maps", 16, cannot("/proc/self/maps", "Larger than the limit of 16 bytes")},
#endif
  };
  for (const auto& r : rows) EXPECT_EQ(ErrorOf([&] { (void)ReadRegularFile(r.path, r.limit); }), r.message);
}

TEST(BoundedRead, TheIniReaderTakesOnlyRegularFilesWithinTheLimit) {
  TempDir dir;
  MakeSparse(dir / "huge.lng", kMaxReadFileBytes + 1);
  TDVIniFile ini;
#ifdef _WIN32
  // The null device is no file the reader looks for.
  EXPECT_EQ(ErrorOf([&] { ini.LoadFromFile("NUL"); }), "Ini file:NUL not found.");
#else
  ASSERT_EQ(::mkfifo((dir / "Skimplane.ini").c_str(), 0644), 0);
  EXPECT_EQ(ErrorOf([&] { ini.LoadFromFile(dir / "Skimplane.ini"); }),
            "Cannot open file \"" + (dir / "Skimplane.ini").string() + "\". Not a regular file");
  EXPECT_EQ(ErrorOf([&] { ini.LoadFromFile("/dev/zero"); }),
            "Cannot open file \"/dev/zero\". Not a regular file");
#endif
  EXPECT_EQ(ErrorOf([&] { ini.LoadFromFile(dir / "huge.lng"); }),
            "Cannot open file \"" + (dir / "huge.lng").string() +
                "\". Larger than the limit of 16 MiB (16777216 bytes)");
}

TEST(BoundedRead, AHiveThatIsNoRegularFileOrTooLargeIsNeitherReadNorReplaced) {
  TempDir dir;
  MakeSparse(dir / "huge.reg", kMaxReadFileBytes + 1);
#ifdef _WIN32  // no named pipes in a folder
  for (const fs::path& file : {dir / "huge.reg"}) {
#else
  ASSERT_EQ(::mkfifo((dir / "pipe.reg").c_str(), 0644), 0);
  for (const fs::path& file : {dir / "pipe.reg", dir / "huge.reg"}) {
#endif
    RegistryFileStore store(file);
    EXPECT_FALSE(store.OpenKey("Software\\Dravik\\AutoPos\\frmSkimplane", true)) << file;
  }
#ifndef _WIN32
  EXPECT_EQ(fs::status(dir / "pipe.reg").type(), fs::file_type::fifo);
#endif
  EXPECT_EQ(fs::file_size(dir / "huge.reg"), kMaxReadFileBytes + 1);
}
