#pragma once
// Test helpers that need a process of their own: running the built command-line tool, and running a piece
// of code where files may not grow beyond a few kilobytes (a stand-in for a full disk).

#ifndef _WIN32  // fork, exec, setrlimit: the suites that use these helpers are POSIX only
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "TempDir.h"
#include "dvTools/dvError.h"

struct TCliResult {
  int exitCode = -1;
  std::string out, err;
};

// Runs the built skimplane-cli in `dir` with the given arguments, keeping what it prints; `inChild` runs in
// the child before the tool starts (limits, signal dispositions).
inline TCliResult RunCli(const TempDir& dir, std::vector<std::string> args,
                         const std::function<void()>& inChild = {}) {
  namespace fs = std::filesystem;
  const std::string bin = SKIMPLANE_BIN_DIR "/skimplane-cli";
  args.insert(args.begin(), bin);
  const fs::path out = dir.path().parent_path() / (dir.path().filename().string() + ".out");
  const fs::path err = dir.path().parent_path() / (dir.path().filename().string() + ".err");
  const pid_t child = ::fork();
  if (child == 0) {
    if (::chdir(dir.path().c_str()) != 0) ::_exit(120);
    const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(o, 1);
    ::dup2(e, 2);
    if (inChild) inChild();
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(bin.c_str(), argv.data());
    ::_exit(121);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  TCliResult r;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = ReadBytes(out);
  r.err = ReadBytes(err);
  fs::remove(out);
  fs::remove(err);
  return r;
}

// Runs `body` in a child process whose files may not grow beyond 4 KiB and returns the message of the
// EDVError it raised ("" when it raised none, "<crashed>" when the child died).
inline std::string ErrorOnFullDisk(const std::function<void()>& body) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return "<no pipe>";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeFds[0]);
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG instead of killing us
    rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::string message;
    try {
      body();
    } catch (const EDVError& e) {
      message = e.what();
    }
    [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], message.data(), message.size());
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  std::string message;
  char buffer[512];
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) message.append(buffer, n);
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? message : "<crashed>";
}
#endif
