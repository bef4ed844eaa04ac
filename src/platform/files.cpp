#include "platform/files.h"

#include <atomic>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace quorvane::files {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCannotRead = "Cannot read";
constexpr const char* kCannotWrite = "Cannot write";

// Paths travel through the program as UTF-8. On Windows the path has to be told so explicitly,
// or it would be taken in the ANSI code page; elsewhere the bytes are the name.
fs::path to_fs_path(const std::string& path) {
#ifdef _WIN32
  return fs::path(std::u8string(path.begin(), path.end()));
#else
  return fs::path(path);
#endif
}

std::string reason_of(int code) { return std::system_category().message(code); }

// The code comes in by value, read before any allocation for the message could change it.
[[noreturn]] void fail(const char* action, const std::string& path, int code) {
  throw FileError(action, path, reason_of(code));
}

std::string is_a_directory() { return std::make_error_code(std::errc::is_a_directory).message(); }

bool is_separator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

// Follows a chain of symbolic links to the file at its end, so that saving replaces that file and
// the link stays a link. The end need not exist yet. Anything that cannot be examined is left to
// the open that follows, which reports it with the system's own reason.
fs::path resolve_links(const fs::path& path, std::error_code& ec) {
  fs::path current = path;
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code status_ec;
    const fs::file_status status = fs::symlink_status(current, status_ec);
    if (status_ec || !fs::is_symlink(status)) return current;
    const fs::path target = fs::read_symlink(current, status_ec);
    if (status_ec) return current;
    current = target.is_absolute() ? target : current.parent_path() / target;
  }
  ec = std::make_error_code(std::errc::too_many_symbolic_link_levels);
  return current;
}

// Several saves may run in one process (the backup copy, then VOZ.INI), and a crashed earlier
// run may have left a temporary file behind; the counter and exclusive creation keep names apart.
std::atomic<unsigned> temp_counter{0};

fs::path folder_of(const fs::path& target) {
  return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

// ".VOZ.INI.tmp-<pid>-<n>" beside the target: the same folder, so the rename cannot cross file
// systems, and a dot name, so a file left by a crash stays out of the way.
fs::path temp_path_for(const fs::path& target, unsigned long pid) {
  fs::path name(".");
  name += target.filename();
  name += ".tmp-" + std::to_string(pid) + "-" + std::to_string(++temp_counter);
  return folder_of(target) / name;
}

// The process that made a temporary file named ".<name>.tmp-<pid>-<n>" for `name`, or 0 when
// the file name is not one of ours.
unsigned long temp_owner(const std::string& file_name, const std::string& name) {
  const std::string prefix = "." + name + ".tmp-";
  if (file_name.size() <= prefix.size() || file_name.compare(0, prefix.size(), prefix) != 0) {
    return 0;
  }
  const std::string rest = file_name.substr(prefix.size());
  const std::size_t dash = rest.find('-');
  const auto digits = [](const std::string& text) {
    return !text.empty() && text.size() <= 10 &&
           text.find_first_not_of("0123456789") == std::string::npos;
  };
  if (dash == std::string::npos || !digits(rest.substr(0, dash)) ||
      !digits(rest.substr(dash + 1))) {
    return 0;
  }
  return std::stoul(rest.substr(0, dash));
}

bool process_alive(unsigned long pid);

}  // namespace

void remove_stale_temporaries(const std::string& path) {
  std::error_code ec;
  const fs::path target = resolve_links(to_fs_path(path), ec);
  if (ec) return;
  const std::string name = target.filename().string();
  for (fs::directory_iterator it(folder_of(target), ec), end; !ec && it != end; it.increment(ec)) {
    const unsigned long owner = temp_owner(it->path().filename().string(), name);
    if (owner == 0 || process_alive(owner)) continue;
    std::error_code ignored;
    if (it->is_symlink(ignored) || !it->is_regular_file(ignored)) continue;
    fs::remove(it->path(), ignored);
  }
}

char separator() {
#ifdef _WIN32
  return '\\';
#else
  return '/';
#endif
}

std::string join(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  if (!joined.empty() && !is_separator(joined.back())) joined += separator();
  joined += name;
  return joined;
}

bool exists(const std::string& path) {
  std::error_code ec;
  return fs::status(to_fs_path(path), ec).type() != fs::file_type::not_found;
}

void copy(const std::string& from, const std::string& to) {
  // Through a temporary file as well: a half-written copy would otherwise pass for a complete
  // backup on every later start.
  write_atomic(to, read_all(from));
}

#ifdef _WIN32

namespace {

int last_error() { return static_cast<int>(GetLastError()); }

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// The temporary file of one save: removed again unless the save got as far as the rename.
class TempFile {
 public:
  TempFile() = default;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    close();
    if (!path_.empty() && !committed_) DeleteFileW(path_.c_str());
  }

  // 0, or the system's error code; ERROR_FILE_EXISTS means "try another name".
  int create(fs::path path) {
    handle_ = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) return last_error();
    path_ = std::move(path);
    return 0;
  }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  const fs::path& path() const { return path_; }
  bool close() {
    if (!valid()) return true;
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }
  void commit() { committed_ = true; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  fs::path path_;
  bool committed_ = false;
};

// The replacement takes over the old file's own access rules and attributes (its inherited rules
// come from the folder, as the old file's did). Best effort, like the owner on POSIX: a file that
// saved is worth more than a rule that could not be copied.
void carry_over_security(const fs::path& from, const fs::path& to, DWORD attributes) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(from.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, nullptr, &descriptor) == ERROR_SUCCESS) {
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    SECURITY_INFORMATION info = DACL_SECURITY_INFORMATION;
    if (GetSecurityDescriptorControl(descriptor, &control, &revision)) {
      info |= (control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                            : UNPROTECTED_DACL_SECURITY_INFORMATION;
    }
    std::wstring target = to.wstring();
    SetNamedSecurityInfoW(target.data(), SE_FILE_OBJECT, info, nullptr, nullptr, dacl, nullptr);
    LocalFree(descriptor);
  }
  const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  SetFileAttributesW(to.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
}

bool process_alive(unsigned long pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  // A process we may not look at is still a process.
  if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  CloseHandle(process);
  return running;
}

// Directories fail here by themselves: opening one needs FILE_FLAG_BACKUP_SEMANTICS.
HANDLE open_for_reading(const std::string& path) {
  return CreateFileW(to_fs_path(path).c_str(), GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool can_open_for_reading(const std::string& path) {
  Handle file(open_for_reading(path));
  return file.valid();
}

std::string read_all(const std::string& path) {
  Handle file(open_for_reading(path));
  if (!file.valid()) fail(kCannotRead, path, last_error());
  std::string bytes;
  char buffer[10000];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, static_cast<DWORD>(sizeof buffer), &got, nullptr)) {
      fail(kCannotRead, path, last_error());
    }
    if (got == 0) break;
    bytes.append(buffer, got);
  }
  return bytes;
}

void write_atomic(const std::string& path, std::string_view bytes) {
  std::error_code ec;
  const fs::path target = resolve_links(to_fs_path(path), ec);
  if (ec) throw FileError(kCannotWrite, path, ec.message());

  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      throw FileError(kCannotWrite, path, is_a_directory());
    }
    // A read-only file is the user's way of saying "do not change this"; a rename would not ask.
    if (attributes & FILE_ATTRIBUTE_READONLY) {
      fail(kCannotWrite, path, ERROR_ACCESS_DENIED);
    }
  }

  TempFile temp;
  for (int attempt = 0; attempt < 100 && !temp.valid(); ++attempt) {
    const int error = temp.create(temp_path_for(target, GetCurrentProcessId()));
    if (error != 0 && error != ERROR_FILE_EXISTS) fail(kCannotWrite, path, error);
  }
  if (!temp.valid()) fail(kCannotWrite, path, ERROR_FILE_EXISTS);

  const char* next = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(temp.get(), next, chunk, &written, nullptr)) {
      fail(kCannotWrite, path, last_error());
    }
    // A write that "succeeds" with nothing written would loop for ever.
    if (written == 0) fail(kCannotWrite, path, ERROR_WRITE_FAULT);
    next += written;
    left -= written;
  }
  if (!FlushFileBuffers(temp.get()) || !temp.close()) {
    fail(kCannotWrite, path, last_error());
  }
  if (attributes != INVALID_FILE_ATTRIBUTES) carry_over_security(target, temp.path(), attributes);
  if (!MoveFileExW(temp.path().c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    fail(kCannotWrite, path, last_error());
  }
  temp.commit();
}

#else  // POSIX

namespace {

bool process_alive(unsigned long pid) {
  // EPERM: it exists, it just is not ours to signal.
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

int open_retrying(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path, flags, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }

  bool valid() const { return fd_ >= 0; }
  int get() const { return fd_; }

 private:
  int fd_;
};

// The temporary file of one save: removed again unless the save got as far as the rename.
class TempFile {
 public:
  TempFile() = default;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty() && !committed_) ::unlink(path_.c_str());
  }

  // 0, or the errno of the failure; EEXIST means "try another name".
  int create(fs::path path) {
    fd_ = open_retrying(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0) return errno;
    path_ = std::move(path);
    return 0;
  }
  int fd() const { return fd_; }
  const fs::path& path() const { return path_; }
  // Linux releases the descriptor even when close reports EINTR, so it must not be retried.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 || errno == EINTR;
  }
  void commit() { committed_ = true; }

 private:
  int fd_ = -1;
  fs::path path_;
  bool committed_ = false;
};

bool write_fully(int fd, std::string_view bytes) {
  const char* next = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t written = ::write(fd, next, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) {
      errno = EIO;
      return false;
    }
    next += written;
    left -= static_cast<std::size_t>(written);
  }
  return true;
}

// Makes the rename itself durable. Some file systems cannot sync a directory; the new file is in
// place by then, so there is nothing left to undo and the save counts as done.
void sync_folder(const fs::path& folder) {
  Fd dir(open_retrying(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) ::fsync(dir.get());
}

// Only a regular file is read. A named pipe would block the open until some writer came along,
// and a link to a device such as /dev/zero would be read for ever, so either would hang start-up;
// O_NONBLOCK lets the open return so that fstat can tell.
int open_for_reading(const std::string& path) {
  return open_retrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

}  // namespace

bool can_open_for_reading(const std::string& path) {
  Fd file(open_for_reading(path));
  if (!file.valid()) return false;
  struct stat status {};
  return ::fstat(file.get(), &status) == 0 && S_ISREG(status.st_mode);
}

std::string read_all(const std::string& path) {
  Fd file(open_for_reading(path));
  if (!file.valid()) fail(kCannotRead, path, errno);
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) fail(kCannotRead, path, errno);
  if (S_ISDIR(status.st_mode)) throw FileError(kCannotRead, path, is_a_directory());
  if (!S_ISREG(status.st_mode)) throw FileError(kCannotRead, path, "Not a regular file");
  // Back to ordinary blocking reads for the file itself.
  if (::fcntl(file.get(), F_SETFL, 0) != 0) fail(kCannotRead, path, errno);

  std::string bytes;
  char buffer[10000];
  for (;;) {
    const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      fail(kCannotRead, path, errno);
    }
    if (got == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return bytes;
}

void write_atomic(const std::string& path, std::string_view bytes) {
  std::error_code ec;
  const fs::path target = resolve_links(to_fs_path(path), ec);
  if (ec) throw FileError(kCannotWrite, path, ec.message());

  struct stat old {};
  const bool replacing = ::stat(target.c_str(), &old) == 0;
  if (replacing) {
    if (S_ISDIR(old.st_mode)) throw FileError(kCannotWrite, path, is_a_directory());
    // The rename needs only a writable folder; a file the user made read-only must still refuse
    // to change, as it would if it were written in place.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
      fail(kCannotWrite, path, errno);
    }
  } else if (errno != ENOENT) {
    fail(kCannotWrite, path, errno);
  }

  TempFile temp;
  for (int attempt = 0; attempt < 100 && temp.fd() < 0; ++attempt) {
    const int error = temp.create(temp_path_for(target, static_cast<unsigned long>(::getpid())));
    if (error != 0 && error != EEXIST) fail(kCannotWrite, path, error);
  }
  if (temp.fd() < 0) fail(kCannotWrite, path, EEXIST);

  if (replacing) {
    // Best effort: only root can give the file back to its owner, and a file that changes hands
    // is no reason to refuse the save. The mode is set afterwards, as chown may clear bits.
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
      [[maybe_unused]] const int owner_kept = ::fchown(temp.fd(), old.st_uid, old.st_gid);
    }
    if (::fchmod(temp.fd(), old.st_mode & 07777) != 0) {
      fail(kCannotWrite, path, errno);
    }
  }
  if (!write_fully(temp.fd(), bytes) || ::fsync(temp.fd()) != 0 || !temp.close()) {
    fail(kCannotWrite, path, errno);
  }
  if (::rename(temp.path().c_str(), target.c_str()) != 0) {
    fail(kCannotWrite, path, errno);
  }
  temp.commit();
  sync_folder(folder_of(target));
}

#endif

}  // namespace quorvane::files
