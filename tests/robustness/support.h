#pragma once

// Fault injection for the robustness tests: scratch folders, snapshots of what a folder holds,
// and children that run a step as an ordinary user or with a file-size limit, reporting back
// what happened as text.

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

namespace quorvane::robustness {

namespace fs = std::filesystem;

// The user and group "nobody": permission checks apply to it, unlike to root.
inline constexpr uid_t kNobody = 65534;

// A folder reads as a marker, so that "the file is unchanged" checks also hold for a folder that
// stands where a file should be.
inline std::string read_bytes(const fs::path& path) {
  if (fs::is_directory(path)) return "(a folder)";
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_bytes(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string reason_for(int code) { return std::system_category().message(code); }

inline void set_mode(const fs::path& path, unsigned mode) {
  fs::permissions(path, static_cast<fs::perms>(mode), fs::perm_options::replace);
}

// Hands the path to the user that As::Nobody steps run as: "nobody" when the tests run as root,
// otherwise the current user, who owns it already.
inline void give_to_nobody(const fs::path& path) {
  if (::geteuid() != 0) return;
  if (::chown(path.c_str(), kNobody, kNobody) != 0) {
    throw std::system_error(errno, std::system_category(), path.string());
  }
}

// A fresh folder that every user can reach, removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device random;
    do {
      path_ = fs::temp_directory_path() / ("quorvane-robustness-" + std::to_string(::getpid()) +
                                           "-" + std::to_string(random()));
    } while (!fs::create_directory(path_));
    set_mode(path_, 0755);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_directory() && !it->is_symlink()) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
      }
    }
    fs::remove_all(path_, ec);
  }

  const fs::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  fs::path operator/(std::string_view name) const { return path_ / name; }

 private:
  fs::path path_;
};

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
    const struct rlimit cap { limit, limit };
    if (std::signal(SIGXFSZ, SIG_IGN) == SIG_ERR || ::setrlimit(RLIMIT_FSIZE, &cap) != 0) {
      report = "child not prepared: file size limit";
    } else if (as == As::Nobody && ::geteuid() == 0 &&
               (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
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

}  // namespace quorvane::robustness
