#pragma once

// Fault injection for the robustness tests: snapshots of what a folder holds, and (on POSIX)
// children that run a step as an ordinary user or with a file-size limit, reporting back what
// happened as text. Folders, files and the children's set-up come from the shared
// test_support.h.

#ifdef _WIN32
#include "windows_support.h"
#else
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <system_error>

#include "test_support.h"

namespace quorvane::robustness {

namespace fs = std::filesystem;
using quorvane::testing::default_file;
using quorvane::testing::read_bytes;
using quorvane::testing::set_mode;
using quorvane::testing::TempFolder;
using quorvane::testing::write_bytes;

inline std::string reason_for(int code) { return std::system_category().message(code); }

// What a file system says of a folder where a file should be, the same on every system.
inline std::string is_a_directory() {
  return std::make_error_code(std::errc::is_a_directory).message();
}

#ifdef _WIN32

// Everything a folder holds, one level deep: each entry's kind, the attributes a save must keep
// and, for files, bytes. Two equal snapshots mean nothing was created, removed, replaced or
// changed.
inline std::map<std::string, std::string> snapshot(const fs::path& folder) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const DWORD attributes = testing::attributes_of(entry.path());
    const bool is_folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    std::string description = is_folder ? "folder " : "file ";
    description += std::to_string(
        attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    if (!is_folder) description += " " + read_bytes(entry.path());
    if (is_folder) {
      for (const auto& inner : snapshot(entry.path())) description += " [" + inner.first + "]";
    }
    entries[entry.path().filename().string()] = description;
  }
  return entries;
}

#else

using quorvane::testing::kNobody;

// Hands the path to the user that As::Nobody steps run as: "nobody" when the tests run as root,
// otherwise the current user, who owns it already.
inline void give_to_nobody(const fs::path& path) {
  if (::geteuid() != 0) return;
  if (::chown(path.c_str(), kNobody, kNobody) != 0) {
    throw std::system_error(errno, std::system_category(), path.string());
  }
}

// Everything a folder holds, one level deep: each entry's kind, mode and, for files, bytes.
// Two equal snapshots mean nothing was created, removed, replaced or changed.
inline std::map<std::string, std::string> snapshot(const fs::path& folder) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::directory_iterator(folder)) {
    struct stat status {};
    ::lstat(entry.path().c_str(), &status);
    std::string description = S_ISDIR(status.st_mode)   ? "folder "
                              : S_ISLNK(status.st_mode) ? "link "
                                                        : "file ";
    description += std::to_string(status.st_mode & 07777) + " uid " + std::to_string(status.st_uid);
    if (S_ISREG(status.st_mode)) description += " " + read_bytes(entry.path());
    if (S_ISDIR(status.st_mode)) {
      for (const auto& inner : snapshot(entry.path())) description += " [" + inner.first + "]";
    }
    entries[entry.path().filename().string()] = description;
  }
  return entries;
}

// How a child is set up before it runs the step under test.
enum class As {
  Root,    // the test's own privileges
  Nobody,  // an ordinary user, so that permissions count
};

// Runs `step` in a child process and returns the text it reports (or what went wrong with the
// child). `limit`, when given, caps the size of any file the child writes, as on a disk that
// fills up: writes past it fail with EFBIG instead of killing the child. A step that hangs is
// ended after kWatchdogSeconds and reported as killed by SIGALRM.
inline constexpr unsigned kWatchdogSeconds = 20;

inline std::string run_in_child(As as, const std::function<std::string()>& step,
                                rlim_t limit = RLIM_INFINITY) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe_fds[0]);
    ::alarm(kWatchdogSeconds);
    std::string report;
    if (!testing::limit_file_size(limit)) {
      report = "child not prepared: file size limit";
    } else if (as == As::Nobody && ::geteuid() == 0 && !testing::become_nobody()) {
      report = "child not prepared: cannot become nobody";
    } else {
      try {
        report = step();
      } catch (const std::exception& error) {
        report = std::string("unexpected exception: ") + error.what();
      }
    }
    const char* next = report.data();
    std::size_t left = report.size();
    while (left > 0) {
      const ssize_t written = ::write(pipe_fds[1], next, left);
      if (written <= 0) break;
      next += written;
      left -= static_cast<std::size_t>(written);
    }
    ::_exit(0);
  }
  ::close(pipe_fds[1]);
  if (child < 0) {
    ::close(pipe_fds[0]);
    return "no child";
  }
  std::string report;
  char buffer[4096];
  for (ssize_t got; (got = ::read(pipe_fds[0], buffer, sizeof buffer)) != 0;) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    report.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(pipe_fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status))
    report += " (child died with signal " + std::to_string(WTERMSIG(status)) + ")";
  return report;
}

#endif

// Runs `step` apart from the test where the system allows it, in case it does what it must not:
// in a child with the test's own privileges on POSIX, right here on Windows, which has no fork.
inline std::string run_apart(const std::function<std::string()>& step) {
#ifdef _WIN32
  try {
    return step();
  } catch (const std::exception& error) {
    return std::string("unexpected exception: ") + error.what();
  }
#else
  return run_in_child(As::Root, step);
#endif
}

}  // namespace quorvane::robustness
