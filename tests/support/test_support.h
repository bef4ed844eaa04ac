#pragma once

// What the tests share: scratch folders, whole files read and written as bytes, the reference
// VOZ.INI, and (POSIX only) child processes that run a step as an ordinary user or with a
// file-size limit. Test targets get QUORVANE_TEST_DATA, the folder of the reference files, from
// tests/CMakeLists.

#ifdef _WIN32
#include <process.h>
#else
#include <grp.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace quorvane::testing {

namespace fs = std::filesystem;

inline unsigned long process_id() {
#ifdef _WIN32
  return static_cast<unsigned long>(::_getpid());
#else
  return static_cast<unsigned long>(::getpid());
#endif
}

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

// The file that start-up writes into an empty folder, byte for byte.
inline const std::string& default_file() {
  static const std::string bytes = read_bytes(QUORVANE_TEST_DATA "/VOZ.default.INI");
  return bytes;
}

// The settings file `file` with its line `from` replaced by `to`; the line must be there.
inline std::string with_line(std::string file, const std::string& from, const std::string& to) {
  const auto at = file.find("\r\n" + from + "\r\n");
  if (at == std::string::npos) throw std::runtime_error("no line " + from);
  return file.replace(at + 2, from.size(), to);
}

inline void set_mode(const fs::path& path, fs::perms mode) {
  fs::permissions(path, mode, fs::perm_options::replace);
}

inline void set_mode(const fs::path& path, unsigned mode) {
  set_mode(path, static_cast<fs::perms>(mode));
}

inline fs::perms mode_of(const fs::path& path) {
  return fs::status(path).permissions() & fs::perms::mask;
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    do {
      path_ = base / ("quorvane-test-" + std::to_string(process_id()) + "-" +
                      std::to_string(++counter) + "-" + std::to_string(random()));
    } while (!fs::create_directory(path_));
#ifndef _WIN32
    // Reachable by the unprivileged child of the permission tests, whatever the umask.
    set_mode(path_, 0755);
#endif
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    // Tests make folders read-only (and on Windows files, which cannot be removed then); give
    // them back before removing them.
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
#ifdef _WIN32
      constexpr bool files_too = true;
#else
      constexpr bool files_too = false;
#endif
      if ((files_too || it->is_directory()) && !it->is_symlink()) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
      }
    }
    fs::remove_all(path_, ec);
  }

  const fs::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  std::string file(std::string_view name) const { return (path_ / name).string(); }
  fs::path operator/(std::string_view name) const { return path_ / name; }

  std::string read(std::string_view name) const { return read_bytes(path_ / name); }
  void write(std::string_view name, std::string_view bytes) const {
    write_bytes(path_ / name, bytes);
  }

  // The names in the folder, sorted; shows what a failed save left behind.
  std::vector<std::string> entries() const { return entries_of(path_); }

  static std::vector<std::string> entries_of(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  fs::path path_;
};

// Outcomes an attempt reports, from the unprivileged child on POSIX.
enum Outcome : int {
  kRefused = 0,        // failed with the FileError the test expects
  kSucceeded = 1,      // the write went through
  kWrongError = 2,     // failed, but not as expected
  kNotPrepared = 100,  // the child could not set itself up for the attempt
};

#ifndef _WIN32

// The user and group "nobody": permission checks apply to it, unlike to root.
inline constexpr uid_t kNobody = 65534;

// Set-up of a child process, each true when it took effect.

// Drops root's privileges for good: from here on the process is "nobody".
inline bool become_nobody() {
  return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
}

// Caps the size of any file the process writes, as on a disk that fills up: writes past the cap
// fail with EFBIG instead of killing the process.
inline bool limit_file_size(rlim_t limit) {
  const struct rlimit cap { limit, limit };
  return std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR && ::setrlimit(RLIMIT_FSIZE, &cap) == 0;
}

// Runs `attempt` in a child process, after `prepare` has changed what only that process should
// feel, and returns the attempt's result (kNotPrepared when `prepare` fails).
inline int run_in_child(const std::function<bool()>& prepare, const std::function<int()>& attempt) {
  const pid_t child = ::fork();
  if (child == 0) {
    int result = kNotPrepared;
    if (prepare()) {
      try {
        result = attempt();
      } catch (...) {
        result = kWrongError;
      }
    }
    ::_exit(result);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs `attempt` as an ordinary user. Root passes every permission check, and these tests are
// about the checks, so as root the attempt runs in a child process that has become "nobody".
inline int run_unprivileged(const std::function<int()>& attempt) {
  if (::geteuid() != 0) return attempt();
  return run_in_child(become_nobody, attempt);
}

// Runs `attempt` in a child process that cannot write more than `limit` bytes into any file, as
// on a disk that fills up part way through a save.
inline int run_with_file_size_limit(rlim_t limit, const std::function<int()>& attempt) {
  return run_in_child([limit] { return limit_file_size(limit); }, attempt);
}

#else

// Windows has no user who passes every check: the read-only attribute holds for administrators
// too, so the attempt runs as it is.
inline int run_unprivileged(const std::function<int()>& attempt) { return attempt(); }

#endif

}  // namespace quorvane::testing
