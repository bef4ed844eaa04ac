// Files on POSIX systems: descriptors, fsync and rename.

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "files/files.h"
#include "files/files_detail.h"

namespace quorvane::files {

using namespace detail;

namespace detail {

// Follows the chain of links one hop at a time, relative targets from the link's own folder.
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

std::vector<Path> plain_files_in(const Path& folder) {
  std::vector<Path> files;
  std::error_code ec;
  // Stepped with an error code: a folder that vanishes mid-way ends the list.
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code ignored;
    if (!it->is_symlink(ignored) && it->is_regular_file(ignored)) files.push_back(it->path());
  }
  return files;
}

void remove_file(const Path& path) {
  std::error_code ignored;
  fs::remove(path, ignored);
}

bool rename_file(const Path& from, const Path& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  return !ec;
}

std::chrono::seconds age_of(const Path& path) {
  std::error_code ec;
  const auto written = fs::last_write_time(path, ec);
  if (ec) return std::chrono::seconds(0);
  return std::chrono::duration_cast<std::chrono::seconds>(fs::file_time_type::clock::now() -
                                                          written);
}

bool process_alive(unsigned long pid) {
  // EPERM: it exists, it just is not ours to signal.
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

unsigned long current_pid() { return static_cast<unsigned long>(::getpid()); }

std::string host_name() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

}  // namespace detail

bool exists(const std::string& path) {
  std::error_code ec;
  return fs::status(to_fs_path(path), ec).type() != fs::file_type::not_found;
}

namespace {

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
  int create(fs::path path, mode_t mode) {
    fd_ = open_retrying(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
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

std::string executable_path() {
#ifdef __linux__
  std::string path(4096, '\0');
  for (;;) {
    const ssize_t got = ::readlink("/proc/self/exe", path.data(), path.size());
    if (got < 0) return "";
    if (static_cast<std::size_t>(got) < path.size()) {
      path.resize(static_cast<std::size_t>(got));
      return path;
    }
    path.resize(path.size() * 2);  // cut short: try again with more room
  }
#else
  return "";
#endif
}

bool entry_exists(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 || errno != ENOENT;
}

EntryKind entry_kind(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    return errno == ENOENT || errno == ENOTDIR ? EntryKind::Missing : EntryKind::Unknown;
  }
  return S_ISDIR(status.st_mode) ? EntryKind::Folder : EntryKind::File;
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

  return read_bounded(path, static_cast<std::uintmax_t>(status.st_size), kMaxReadBytes,
                      [&file](char* buffer, std::size_t capacity, int& code) -> long long {
                        for (;;) {
                          const ssize_t got = ::read(file.get(), buffer, capacity);
                          if (got >= 0 || errno != EINTR) {
                            code = errno;
                            return got;
                          }
                        }
                      });
}

namespace {

// Makes the temporary file of a save beside `target` and fills it with `bytes`, flushed to disk.
// With `like`, it takes that file's owner (where allowed) and mode; until then it is private.
// `replacing`: whether a file stands at `target`, which decides whom a failure to make the
// temporary file blames (see fail_temp).
void write_temp(TempFile& temp, const fs::path& target, const struct stat* like,
                std::string_view bytes, const char* action, const std::string& path,
                bool replacing) {
  for (int attempt = 0; attempt < 100 && temp.fd() < 0; ++attempt) {
    const int error = temp.create(temp_path_for(target, static_cast<unsigned long>(::getpid())),
                                  like != nullptr ? 0600 : 0666);
    if (error != 0 && error != EEXIST) fail_temp(target, path, replacing, error);
  }
  if (temp.fd() < 0) fail_temp(target, path, replacing, EEXIST);

  if (like != nullptr) {
    // Best effort: only root can give the file back to its owner, and a file that changes hands
    // is no reason to refuse the save. The mode is set afterwards, as chown may clear bits.
    if (like->st_uid != ::geteuid() || like->st_gid != ::getegid()) {
      [[maybe_unused]] const int owner_kept = ::fchown(temp.fd(), like->st_uid, like->st_gid);
    }
    if (::fchmod(temp.fd(), like->st_mode & 07777) != 0) fail(action, path, errno);
  }
  if (!write_fully(temp.fd(), bytes) || ::fsync(temp.fd()) != 0 || !temp.close()) {
    fail(action, path, errno);
  }
}

}  // namespace

namespace detail {

int place_without_replacing(const fs::path& from, const fs::path& to, bool may_rename) {
#ifdef RENAME_NOREPLACE
  if (may_rename) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    // Anything but "this file system or kernel cannot" is the answer.
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
  }
#else
  (void)may_rename;
#endif
  // link() never replaces and never follows a link at `to`, dangling or not.
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

int move_without_replacing(const fs::path& from, const fs::path& to) {
  const int error = place_without_replacing(from, to);
  return error == EEXIST ? kAlreadyThere : error;
}

int create_exclusive(const fs::path& path, std::string_view bytes, bool& whole) {
  Fd file(open_retrying(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (!file.valid()) return errno == EEXIST ? kAlreadyThere : errno;
  whole = write_fully(file.get(), bytes);
  if (!whole) {
    [[maybe_unused]] const int emptied = ::ftruncate(file.get(), 0);
  }
  return 0;
}

}  // namespace detail

namespace {

std::string user_name(uid_t uid) {
  struct passwd entry {};
  struct passwd* found = nullptr;
  char buffer[4096];
  if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr) {
    return "\"" + std::string(found->pw_name) + "\"";
  }
  return "number " + std::to_string(uid);
}

// The first link on the way to the file that another user owns. Linux protects only sticky
// folders from links planted by others; a settings folder is often shared more loosely, so the
// rule holds everywhere: whoever runs the editor writes through their own links only.
std::optional<std::pair<fs::path, uid_t>> foreign_link(const fs::path& path) {
  fs::path current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat link {};
    if (::lstat(current.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return std::nullopt;
    if (link.st_uid != ::geteuid()) return std::make_pair(current, link.st_uid);
    std::error_code ec;
    const fs::path next = fs::read_symlink(current, ec);
    if (ec) return std::nullopt;
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  return std::nullopt;
}

// What a refused rename means in a folder with its sticky bit set (/tmp, shared game folders):
// only the file's owner, or the folder's, may replace the file, whatever the file's mode says.
std::string rename_refusal(int code, const fs::path& target, const struct stat* old) {
  std::string reason = std::system_category().message(code);
  struct stat folder {};
  if ((code == EPERM || code == EACCES) && old != nullptr &&
      ::stat(folder_of(target).c_str(), &folder) == 0 && (folder.st_mode & S_ISVTX) != 0 &&
      old->st_uid != ::geteuid() && folder.st_uid != ::geteuid()) {
    reason += ": the folder \"" + from_fs_path(folder_of(target)) +
              "\" is shared (its sticky bit is set), so only the file's owner may replace it, "
              "and the file belongs to user " +
              user_name(old->st_uid);
  }
  return reason;
}

}  // namespace

void write_atomic(const std::string& path, std::string_view bytes,
                  const std::function<void()>& check) {
  if (const auto link = foreign_link(to_fs_path(path))) {
    throw FileError(kCannotWrite, path,
                    "\"" + from_fs_path(link->first) +
                        "\" is a symbolic link that belongs to user " + user_name(link->second) +
                        ", not to you. The editor writes through a link only when it is your "
                        "own, so that nobody can make it overwrite a file of yours elsewhere. "
                        "Nothing was written.");
  }
  std::error_code ec;
  const fs::path target = resolve_links(to_fs_path(path), ec);
  if (ec) fail(kCannotWrite, path, ec.value());

  struct stat old {};
  // Looked at before the lock, so that its own reason wins over the lock's, and again under it,
  // as another editor may have replaced the file meanwhile.
  const auto examine = [&] {
    const bool there = ::stat(target.c_str(), &old) == 0;
    if (there) {
      if (S_ISDIR(old.st_mode)) throw FileError(kCannotWrite, path, is_a_directory());
      // The rename needs only a writable folder; a file the user made read-only must still
      // refuse to change, as it would if it were written in place. Root passes every access
      // check, so the owner's write bit is asked as well: "read-only" holds for root too.
      if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        fail(kCannotWrite, path, errno);
      }
      if ((old.st_mode & S_IWUSR) == 0) fail(kCannotWrite, path, EACCES);
    } else if (errno != ENOENT) {
      fail(kCannotWrite, path, errno);
    } else if (target != to_fs_path(path) && !fs::is_directory(folder_of(target), ec)) {
      throw FileError(kCannotWrite, path,
                      "it is a symbolic link to \"" + from_fs_path(target) +
                          "\", and the folder that link leads into, \"" +
                          from_fs_path(folder_of(target)) + "\", does not exist");
    }
    return there;
  };
  bool replacing = examine();

  const SaveLock lock(target.string(), path, replacing);
  if (check) check();
  replacing = examine();
  TempFile temp;
  write_temp(temp, target, replacing ? &old : nullptr, bytes, kCannotWrite, path, replacing);
  if (check) check();
  if (::rename(temp.path().c_str(), target.c_str()) != 0) {
    const int error = errno;
    throw FileError(kCannotWrite, path, rename_refusal(error, target, replacing ? &old : nullptr));
  }
  temp.commit();
  sync_folder(folder_of(target));
}

bool create_new(const std::string& path, std::string_view bytes, const std::string& like) {
  // The name itself, never what a link there leads to.
  const fs::path target = to_fs_path(path);
  struct stat model {};
  if (::stat(to_fs_path(like).c_str(), &model) != 0) fail(kCannotCreate, path, errno);

  const SaveLock lock(target.string(), path, false);
  TempFile temp;
  write_temp(temp, target, &model, bytes, kCannotCreate, path, false);
  const int error = place_without_replacing(temp.path(), target);
  if (error == EEXIST) return false;
  if (error != 0) fail(kCannotCreate, path, error);
  temp.commit();
  sync_folder(folder_of(target));
  return true;
}

}  // namespace quorvane::files
