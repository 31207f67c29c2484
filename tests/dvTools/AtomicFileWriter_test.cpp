#include "dvTools/AtomicFileWriter.h"

#include <gtest/gtest.h>

#include <memory>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "ChildProcess.h"
#endif
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

#ifndef _WIN32
// Windows files have no POSIX permission bits to keep.
TEST(AtomicFileWriter, KeepsTargetPermissions) {
  TempDir dir;
  WriteBytes(dir / "p.nc", "old");
  fs::permissions(dir / "p.nc", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  WriteFileAtomically(dir / "p.nc", "new");
  EXPECT_EQ(fs::status(dir / "p.nc").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}
#endif

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
#ifdef _WIN32
  // The temporary folder may lie on another drive than the working folder, and no relative path leads
  // from one drive to another: work in the temporary folder's parent.
  struct TWorkIn {
    fs::path before = fs::current_path();
    explicit TWorkIn(const fs::path& p) { fs::current_path(p); }
    ~TWorkIn() { fs::current_path(before); }
  } workIn(dir.path().parent_path());
#endif
  const fs::path relative = fs::relative(dir / "missing" / ".." / "missing" / "y.nc");
  EXPECT_EQ(ErrorOf(relative, "x"),
            "Cannot create file \"" + (dir / "missing" / "y.nc").string() + "\". No such file or directory");
}

#ifndef _WIN32
// The full disk is simulated with a file size limit in a child process (setrlimit, fork): POSIX only.
TEST(AtomicFileWriter, FullDiskGivesStreamWriteErrorAndKeepsOldFile) {
  TempDir dir;
  WriteBytes(dir / "full.nc", "old content");
  EXPECT_EQ(ErrorOnFullDisk([&] { WriteFileAtomically(dir / "full.nc", std::string(3 << 20, 'x')); }),
            "Stream write error");
  EXPECT_EQ(ReadBytes(dir / "full.nc"), "old content");
  EXPECT_EQ(FilesIn(dir.path()), 1);
}
#endif

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

namespace {

int gSyncCalls = 0;
int gSyncError = EIO;
int FailingSync(int) {
  ++gSyncCalls;
  errno = gSyncError;
  return -1;
}

// Restores the writer's seams when a test ends, also a failing one.
struct TSeamReset {
  ~TSeamReset() {
    SetFileSyncForTesting(nullptr);
    SetUnnamedTemporaryForTesting(true);
    gSyncError = EIO;
  }
};

}  // namespace

// Without the flush to disk a power cut could lose the new file after the old one is gone. Whatever the
// sync's error on a regular file, the data may not be on the disk: a refusal (EINVAL, EROFS, ENOTSUP) is
// as much a failure as an I/O error.
TEST(AtomicFileWriter, AFailingSyncKeepsTheOldFileAndSaysWhy) {
  TSeamReset reset;
  TempDir dir;
  WriteBytes(dir / "keep.nc", "old");
  // The reason's text is the system's; one is spelled out here.
  const struct {
    int error;
    const char* name;
    const char* reason;
  } rows[] = {{EIO, "EIO", "Input/output error"},
              {EINVAL, "EINVAL", nullptr},
              {EROFS, "EROFS", nullptr},
              {ENOTSUP, "ENOTSUP", nullptr}};
  for (const auto& r : rows) {
    for (bool unnamed : {true, false}) {
      SCOPED_TRACE(std::string(r.name) + (unnamed ? ", unnamed" : ", named"));
      SetUnnamedTemporaryForTesting(unnamed);
      SetFileSyncForTesting(&FailingSync);
      gSyncError = r.error;
      gSyncCalls = 0;
      AtomicFileWriter writer(dir / "keep.nc");
      writer.Write("new program");
      try {
        writer.Commit();
        ADD_FAILURE() << "the commit went through";
      } catch (const EStreamWriteError& e) {
        EXPECT_STREQ(e.what(), "Stream write error");
        EXPECT_EQ(e.ErrorNumber(), r.error);
        if (r.reason) {
          EXPECT_EQ(e.Detail(), "Cannot write file \"" + (dir / "keep.nc").string() + "\". " + r.reason);
        }
      }
      EXPECT_EQ(gSyncCalls, 1);
      EXPECT_EQ(ReadBytes(dir / "keep.nc"), "old");
      // The failed commit has taken its temporary file away already, not only the writer's end.
      EXPECT_EQ(FilesIn(dir.path()), 1);
    }
  }
  EXPECT_EQ(FilesIn(dir.path()), 1);
}

#ifndef _WIN32
// A pipe has nothing to put on a disk, and its sync says so (EINVAL, or EROFS and ENOTSUP from some
// devices): that is no failure of the write, whether the pipe is named as the target or handed over as
// an open descriptor. Any other error still is one.
TEST(AtomicFileWriter, ASyncThatAPipeCannotDoIsNoFailureThere) {
  TSeamReset reset;
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
  const struct {
    int error;
    bool fails;
  } rows[] = {{EINVAL, false}, {EROFS, false}, {ENOTSUP, false}, {EIO, true}};
  for (const auto& r : rows) {
    SetFileSyncForTesting(&FailingSync);
    gSyncError = r.error;
    for (bool named : {true, false}) {
      SCOPED_TRACE(std::to_string(r.error) + (named ? " named pipe" : " descriptor"));
      // The reader is there first, so that opening the pipe for writing does not wait for one.
      const int reader = ::open((dir / "pipe").c_str(), O_RDONLY | O_NONBLOCK);
      ASSERT_GE(reader, 0);
      const int writerEnd = named ? -1 : ::open((dir / "pipe").c_str(), O_WRONLY);
      {
        std::unique_ptr<AtomicFileWriter> writer =
            named ? std::make_unique<AtomicFileWriter>(dir / "pipe")
                  : std::make_unique<AtomicFileWriter>(writerEnd, "standard output");
        writer->Write("program");
        if (r.fails)
          EXPECT_THROW(writer->Commit(), EStreamWriteError);
        else
          EXPECT_NO_THROW(writer->Commit());
      }
      char bytes[16] = {};
      EXPECT_EQ(::read(reader, bytes, sizeof bytes), 7);
      EXPECT_STREQ(bytes, "program");
      if (writerEnd >= 0) ::close(writerEnd);
      ::close(reader);
    }
  }
  EXPECT_EQ(fs::status(dir / "pipe").type(), fs::file_type::fifo);
  EXPECT_EQ(FilesIn(dir.path()), 1);
}
#endif

TEST(AtomicFileWriter, SmallAndLargeWritesLandInOrder) {
  TempDir dir;
  const std::string big(100 << 10, 'b');
  AtomicFileWriter writer(dir / "order.nc");
  writer.Write("abc");
  writer.Write(big);
  writer.Write("xyz");
  writer.Write(std::string(2 << 20, 'c'));  // beyond the buffer
  writer.Write("end");
  writer.Commit();
  EXPECT_EQ(ReadBytes(dir / "order.nc"), "abc" + big + "xyz" + std::string(2 << 20, 'c') + "end");
}

TEST(AtomicFileWriter, AFailedRenameLeavesNoTemporaryFile) {
  TSeamReset reset;
  TempDir dir;
  for (bool unnamed : {true, false}) {
    SetUnnamedTemporaryForTesting(unnamed);
    const fs::path target = dir / (unnamed ? "u.nc" : "n.nc");
    AtomicFileWriter writer(target);
    writer.Write("program");
    // The target becomes a folder with something in it before the commit: the rename must fail.
    fs::create_directory(target);
    WriteBytes(target / "inside", "x");
    EXPECT_THROW(writer.Commit(), EDVError) << unnamed;
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(FilesIn(dir.path()), unnamed ? 1 : 2) << "a temporary file while the writer is still there";
  }
  EXPECT_EQ(FilesIn(dir.path()), 2);
}

#ifndef _WIN32
// Device nodes and named pipes in a folder (mknod, mkfifo) and fork exist only on POSIX systems.
TEST(AtomicFileWriter, TargetsThatAreNoRegularFilesAreWrittenThroughNotReplaced) {
  TempDir dir;
  // A copy of /dev/null stays the device (renaming a file over it as root would replace the system's).
  if (::geteuid() == 0) {
    ASSERT_EQ(::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    WriteFileAtomically(dir / "null", "program");
    EXPECT_EQ(fs::status(dir / "null").type(), fs::file_type::character);
    fs::remove(dir / "null");
  }

  // A pipe: the reader gets the bytes, the pipe stays a pipe.
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    try {
      WriteFileAtomically(dir / "pipe", "through the pipe");
    } catch (...) {
      ::_exit(1);
    }
    ::_exit(0);
  }
  EXPECT_EQ(ReadBytes(dir / "pipe"), "through the pipe");
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(fs::status(dir / "pipe").type(), fs::file_type::fifo);
  EXPECT_EQ(FilesIn(dir.path()), 1);
}
#endif

#ifndef _WIN32
// Symbolic links need a privilege on Windows that a test cannot count on.
TEST(AtomicFileWriter, LinksAreWrittenThroughAlsoWhenTheirFileIsMissing) {
  TempDir dir;
  fs::create_directory(dir / "real");
  fs::create_symlink("real/a.nc", dir / "dangling.nc");
  WriteFileAtomically(dir / "dangling.nc", "new");
  EXPECT_TRUE(fs::is_symlink(dir / "dangling.nc"));
  EXPECT_EQ(ReadBytes(dir / "real" / "a.nc"), "new");
  WriteFileAtomically(dir / "dangling.nc", "again");
  EXPECT_TRUE(fs::is_symlink(dir / "dangling.nc"));
  EXPECT_EQ(ReadBytes(dir / "real" / "a.nc"), "again");
  // A link into a folder that does not exist is not replaced either: the write fails.
  fs::create_symlink("nowhere/b.nc", dir / "lost.nc");
  EXPECT_EQ(ErrorOf(dir / "lost.nc", "x"),
            "Cannot create file \"" + (dir / "nowhere" / "b.nc").string() + "\". No such file or directory");
  EXPECT_TRUE(fs::is_symlink(dir / "lost.nc"));
  EXPECT_EQ(FilesIn(dir.path()), 3);
}
#endif

#ifndef _WIN32
// A loop of links names no file at all: replacing it would cut the links and report success.
TEST(AtomicFileWriter, ALoopOfLinksIsRefusedAndKeptAsItIs) {
  TempDir dir;
  fs::create_symlink("loop.nc", dir / "loop.nc");
  fs::create_symlink("b.nc", dir / "a.nc");
  fs::create_symlink("a.nc", dir / "b.nc");
  for (const char* name : {"loop.nc", "a.nc", "b.nc"})
    EXPECT_EQ(ErrorOf(dir / name, "new"),
              "Cannot create file \"" + (dir / name).string() + "\". Too many levels of symbolic links");
  for (const char* name : {"loop.nc", "a.nc", "b.nc"}) EXPECT_TRUE(fs::is_symlink(dir / name)) << name;
  EXPECT_EQ(FilesIn(dir.path()), 3);
}

// A write past the file size limit stops the process with SIGXFSZ: the named temporary file goes with it.
TEST(AtomicFileWriter, TheFileSizeLimitStopsTheWriteAndLeavesNothingBehind) {
  for (bool unnamed : {true, false}) {
    TempDir dir;
    WriteBytes(dir / "keep.nc", "old program");
    const pid_t child = ::fork();
    if (child == 0) {
      SetUnnamedTemporaryForTesting(unnamed);
      rlimit limit{1 << 16, 1 << 16};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      std::string program;
      while (program.size() < (3 << 20)) program += "G01 X123.456 Y654.321\r\n";
      try {
        WriteFileAtomically(dir / "keep.nc", program);
      } catch (...) {
      }
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
    EXPECT_EQ(ReadBytes(dir / "keep.nc"), "old program");
    EXPECT_EQ(FilesIn(dir.path()), 1) << (unnamed ? "unnamed" : "named");
  }
}
#endif

#ifndef _WIN32
// Owners and groups by number (chown) are POSIX only.
TEST(AtomicFileWriter, KeepsTheOwnerAndGroupOfAnotherUsersFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "only a super-user may give a file to another user";
  TempDir dir;
  WriteBytes(dir / "theirs.nc", "old");
  ASSERT_EQ(::chown((dir / "theirs.nc").c_str(), 65534, 65533), 0);
  WriteFileAtomically(dir / "theirs.nc", "new");
  struct stat st {};
  ASSERT_EQ(::stat((dir / "theirs.nc").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65533u);
  EXPECT_EQ(ReadBytes(dir / "theirs.nc"), "new");
}
#endif

TEST(AtomicFileWriter, ATargetNameOfTheLongestLegalLengthWorks) {
  TSeamReset reset;
  TempDir dir;
  for (bool unnamed : {true, false}) {
    SetUnnamedTemporaryForTesting(unnamed);
    for (std::size_t length : {240u, 255u}) {
      const std::string name = std::string(length - 3, unnamed ? 'u' : 'n') + ".nc";
      WriteBytes(dir / name, "old");
      WriteFileAtomically(dir / name, "new");
      EXPECT_EQ(ReadBytes(dir / name), "new") << length;
    }
  }
  EXPECT_EQ(FilesIn(dir.path()), 4);
}

#ifndef _WIN32
// Signals sent to a forked child: POSIX only (on Windows the console handler removes the temporary file).
// A run stopped by a signal while the file is written leaves no partial file, with an unnamed temporary
// file and with the named one of file systems that cannot do without a name.
TEST(AtomicFileWriter, ASignalDuringTheWriteLeavesNothingBehind) {
  for (bool unnamed : {true, false}) {
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGKILL}) {
      if (!unnamed && signal_number == SIGKILL) continue;  // nothing can clean up after a kill
      TempDir dir;
      WriteBytes(dir / "keep.nc", "old program");
      int ready[2];
      ASSERT_EQ(::pipe(ready), 0);
      const pid_t child = ::fork();
      if (child == 0) {
        ::close(ready[0]);
        SetUnnamedTemporaryForTesting(unnamed);
        AtomicFileWriter writer(dir / "keep.nc");
        writer.Write(std::string(3 << 20, 'x'));
        [[maybe_unused]] const ssize_t n = ::write(ready[1], "w", 1);
        for (;;) ::pause();
      }
      ::close(ready[1]);
      char c = 0;
      ASSERT_EQ(::read(ready[0], &c, 1), 1);
      ::close(ready[0]);
      EXPECT_EQ(FilesIn(dir.path()), unnamed ? 1 : 2);  // the named temporary file is there while writing
      ::kill(child, signal_number);
      int status = 0;
      ::waitpid(child, &status, 0);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << signal_number;
      EXPECT_EQ(ReadBytes(dir / "keep.nc"), "old program");
      EXPECT_EQ(FilesIn(dir.path()), 1) << "signal " << signal_number << (unnamed ? " unnamed" : " named");
    }
  }
}
#endif

#ifdef _WIN32
// The null device in any folder is written through, never replaced: no temporary file is made beside it.
TEST(AtomicFileWriter, TheNullDeviceIsWrittenThrough) {
  TempDir dir;
  for (const fs::path& target : {fs::path("NUL"), dir / "NUL"}) {
    WriteFileAtomically(target, "program");
    AtomicFileWriter writer(target);
    writer.Write(std::string(3 << 20, 'x'));
    writer.Commit();
  }
  EXPECT_EQ(FilesIn(dir.path()), 0);
}

// Standard output starts in text mode on Windows, where each LF would gain a CR: the program's CR LF
// must arrive as CR LF, and a lone LF as LF.
TEST(AtomicFileWriter, ADescriptorInTextModeGetsTheBytesUnchanged) {
  TempDir dir;
  const int fd = ::_wopen((dir / "out.nc").c_str(), _O_WRONLY | _O_CREAT | _O_TEXT, _S_IREAD | _S_IWRITE);
  ASSERT_GE(fd, 0);
  {
    AtomicFileWriter writer(fd, "standard output");
    writer.Write("G00 X1\r\nlone\n");
    writer.Write(std::string(100 << 10, '\n'));
    writer.Commit();
  }
  ::_close(fd);
  // Compared without a full diff: gtest's diff of two long strings needs memory of their product.
  EXPECT_TRUE(ReadBytes(dir / "out.nc") == "G00 X1\r\nlone\n" + std::string(100 << 10, '\n'));
}
#endif
