#include "files/files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <iterator>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "files/files_detail.h"

namespace quorvane::files {

namespace detail {

#ifndef _WIN32
Path to_fs_path(const std::string& path) { return Path(path); }

std::string from_fs_path(const Path& path) { return path.string(); }
#endif

namespace {

#ifdef _WIN32
constexpr int kInUseCodes[] = {32, 33};  // ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION
constexpr int kLinkLoop = 1921;          // ERROR_CANT_RESOLVE_FILENAME
#else
constexpr int kInUseCodes[] = {ETXTBSY};
constexpr int kLinkLoop = ELOOP;
#endif

}  // namespace

void fail(const char* action, const std::string& path, int code) {
  // The system's words for these send the player looking in the wrong place.
  if (std::find(std::begin(kInUseCodes), std::end(kInUseCodes), code) != std::end(kInUseCodes)) {
    throw FileError(action, path,
                    "another program (the emulator, perhaps) has the file open and lets no one "
                    "else change it. Close that program, and the file can be saved.",
                    FileError::Cause::kInUse);
  }
  if (code == kLinkLoop) {
    throw FileError(action, path,
                    "it is a symbolic link that leads back round to itself and never to a file");
  }
  throw FileError(action, path, std::system_category().message(code));
}

std::string is_a_directory() { return std::make_error_code(std::errc::is_a_directory).message(); }

namespace {
constexpr const char* kNoSettingsFile = "a settings file is never larger than 64 MiB";
}  // namespace

void fail_too_large(const std::string& path, std::uintmax_t size) {
  throw FileError(kCannotRead, path,
                  "the file is " + std::to_string(size) + " bytes long; " + kNoSettingsFile);
}

void fail_grew_too_large(const std::string& path) {
  throw FileError(kCannotRead, path,
                  std::string("the file grew past 64 MiB while it was read; ") + kNoSettingsFile);
}

bool is_separator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

namespace {

template <typename Char>
bool is_separator_of(Char c) {
  return c < 128 && is_separator(static_cast<char>(c));
}

// How much of `path` is its root: "/", "C:\", "C:", "\\server\share", "\\?\C:\";
// 0 for a relative path.
template <typename Char>
std::size_t root_length(std::basic_string_view<Char> path) {
#ifdef _WIN32
  const auto at = [&](std::size_t i, char c) { return i < path.size() && path[i] == Char(c); };
  const auto after_name = [&](std::size_t from) {
    while (from < path.size() && !is_separator_of(path[from])) ++from;
    return from;
  };
  if (at(0, '\\') && at(1, '\\') && at(2, '?') && at(3, '\\')) {
    const bool unc = at(4, 'U') && at(5, 'N') && at(6, 'C') && at(7, '\\');
    if (unc) return after_name(after_name(8) + 1);
    return 4 + root_length(path.substr(4));
  }
  if (at(1, ':')) return path.size() > 2 && is_separator_of(path[2]) ? 3 : 2;
  if (path.size() >= 2 && is_separator_of(path[0]) && is_separator_of(path[1])) {
    return std::min(after_name(after_name(2) + 1), path.size());
  }
#endif
  return !path.empty() && is_separator_of(path[0]) ? 1 : 0;
}

template <typename Char>
std::basic_string<Char> parent_of(std::basic_string_view<Char> path) {
  const std::size_t root = std::min(root_length(path), path.size());
  std::size_t end = path.size();
  while (end > root && is_separator_of(path[end - 1])) --end;
  if (end <= root) return {};
  while (end > root && !is_separator_of(path[end - 1])) --end;
  // The root keeps its separator ("C:\", "/"); any other folder loses it.
  while (end > root && is_separator_of(path[end - 1])) --end;
  return std::basic_string<Char>(path.substr(0, end));
}

// Several saves may run in one process (the backup copy, then VOZ.INI), and a crashed earlier
// run may have left a temporary file behind; the counter and exclusive creation keep names apart.
std::atomic<unsigned> temp_counter{0};
}  // namespace

void fail_temp(const Path& target, const std::string& path, bool replacing, int code) {
  if (!replacing) fail(kCannotCreate, path, code);
  fail(file_action::kNoNewFileIn, from_fs_path(folder_of(target)), code);
}

#ifdef _WIN32
Path folder_of(const Path& target) {
  Path folder = parent_of(std::wstring_view(target));
  return folder.empty() ? L"." : folder;
}

Path name_of(const Path& target) {
  std::size_t start = target.size();
  while (start > 0 && !is_separator_of(target[start - 1]) && target[start - 1] != L':') --start;
  return target.substr(start);
}
#else
Path folder_of(const Path& target) { return target.has_parent_path() ? target.parent_path() : "."; }

Path name_of(const Path& target) { return target.filename(); }
#endif

namespace {
// The .exe's process ids are Windows' (Wine's), which the Linux build cannot look up, nor the .exe
// the Linux build's; a "w" before the id tells the .exe's temporary files from the others.
#ifdef _WIN32
constexpr bool kWindowsBuild = true;
#else
constexpr bool kWindowsBuild = false;
#endif
}  // namespace

// The same folder, so the rename cannot cross file systems, and a dot name, so a file left by a
// crash stays out of the way.
Path temp_path_for(const Path& target, unsigned long pid) {
  const std::string suffix = std::string(".tmp-") + (kWindowsBuild ? "w" : "") +
                             std::to_string(pid) + "-" + std::to_string(++temp_counter);
  Path name = to_fs_path(".");
  name += name_of(target);
  name += Path(suffix.begin(), suffix.end());
  return to_fs_path(join(from_fs_path(folder_of(target)), from_fs_path(name)));
}

TempOwner temp_owner(const std::string& file_name, const std::string& name) {
  const std::string prefix = "." + name + ".tmp-";
  if (file_name.size() <= prefix.size() || file_name.compare(0, prefix.size(), prefix) != 0) {
    return {};
  }
  std::string rest = file_name.substr(prefix.size());
  const bool windows = rest[0] == 'w';
  if (windows) rest.erase(0, 1);
  const std::size_t dash = rest.find('-');
  const auto digits = [](const std::string& text) {
    return !text.empty() && text.size() <= 10 &&
           text.find_first_not_of("0123456789") == std::string::npos;
  };
  if (dash == std::string::npos || !digits(rest.substr(0, dash)) ||
      !digits(rest.substr(dash + 1))) {
    return {};
  }
  return {std::stoul(rest.substr(0, dash)), windows == kWindowsBuild};
}

}  // namespace detail

using namespace detail;

namespace {

constexpr const char* kSystem = kWindowsBuild ? "windows" : "posix";

long long seconds_now() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// A lock file holds a few lines; what cannot be read counts as empty.
std::string read_small(const Path& path) {
  try {
    std::string text = read_all(from_fs_path(path));
    if (text.size() > 512) text.resize(512);
    return text;
  } catch (const FileError&) {
    return {};
  }
}

std::string lock_name_for(const std::string& name) { return "." + name + ".lock"; }

// What a lock file says of the editor that made it.
struct LockHolder {
  std::string system;
  std::string host;
  unsigned long pid = 0;
  long long made = 0;  // seconds since 1970
  bool parsed = false;

  static LockHolder parse(const std::string& text) {
    LockHolder holder;
    std::size_t start = 0;
    int fields = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      const std::string line = text.substr(start, end - start);
      start = end + 1;
      const std::size_t equals = line.find('=');
      if (equals == std::string::npos) continue;
      const std::string key = line.substr(0, equals);
      const std::string value = line.substr(equals + 1);
      const bool digits = !value.empty() && value.size() <= 18 &&
                          value.find_first_not_of("0123456789") == std::string::npos;
      if (key == "system") holder.system = value, ++fields;
      if (key == "host") holder.host = value, ++fields;
      if (key == "pid" && digits) holder.pid = std::stoul(value), ++fields;
      if (key == "time" && digits) holder.made = std::stoll(value), ++fields;
    }
    holder.parsed = fields == 4;
    return holder;
  }

  static std::string describe(const std::string& text) {
    const LockHolder holder = parse(text);
    if (!holder.parsed) return "another copy of the editor";
    const std::string build = holder.system == "windows"
                                  ? "the Windows editor (quorvane-config.exe)"
                                  : "the Linux editor";
    return build + " (process " + std::to_string(holder.pid) + ")";
  }
};

std::string lock_content() {
  return "quorvane-config save lock\nsystem=" + std::string(kSystem) + "\nhost=" + host_name() +
         "\npid=" + std::to_string(current_pid()) + "\ntime=" + std::to_string(seconds_now()) +
         "\n";
}

// Whether the editor that made the lock is gone. Its own process id settles it only on the
// system and machine it ran on; elsewhere only its age does. A lock caught between being made and
// being written has no content yet for a moment, and is judged by the age of the file.
bool is_stale(const std::string& text, const Path& lock) {
  const LockHolder holder = LockHolder::parse(text);
  if (!holder.parsed) return age_of(lock) > std::chrono::seconds(5);
  if (holder.system == kSystem && holder.host == host_name() && holder.pid != current_pid() &&
      !process_alive(holder.pid)) {
    return true;
  }
  const long long age = seconds_now() - holder.made;
  return age > kStaleLockAge.count() || age < -kStaleLockAge.count();
}

// Clears a stale lock without clearing a fresh one that another editor made in its place
// meanwhile: the lock is first moved aside, and only the one judged stale is removed.
void clear_stale(const Path& lock, const std::string& judged) {
  // Named as a temporary file of the lock, so that a kill right here leaves nothing that the
  // next start does not clear.
  const Path aside = temp_path_for(lock, current_pid());
  if (!rename_file(lock, aside)) return;
  if (read_small(aside) == judged || move_without_replacing(aside, lock) != 0) remove_file(aside);
}

}  // namespace

std::string SaveLock::path_for(const std::string& target) {
  const Path file = to_fs_path(target);
  return join(from_fs_path(folder_of(file)), lock_name_for(from_fs_path(name_of(file))));
}

SaveLock::SaveLock(const std::string& target, const std::string& path, bool replacing, Wait wait)
    : lock_(path_for(target)), content_(lock_content()) {
  const Path lock = to_fs_path(lock_);
  const auto give_up = std::chrono::steady_clock::now() + kSaveWait;
  for (;;) {
    // Written whole beside it first and then given the name, so that no editor ever finds the
    // lock empty, killed between making it and writing it, and cannot tell whose it is.
    Path staged;
    int made = kAlreadyThere;
    bool whole = true;
    for (int attempt = 0; attempt < 100 && made == kAlreadyThere; ++attempt) {
      staged = temp_path_for(lock, current_pid());
      made = create_exclusive(staged, content_, whole);
    }
    if (made == 0 && whole) {
      made = move_without_replacing(staged, lock);
      if (made != 0) remove_file(staged);
    } else if (made == 0) {
      // No room for even these few bytes (a full disk, a file size limit): an empty lock still
      // keeps others out while this save runs into the same wall, and is judged by its age.
      remove_file(staged);
      content_.clear();
      made = create_exclusive(lock, content_, whole);
    }
    if (made == 0) {
      held_ = true;
      return;
    }
    if (made != kAlreadyThere) {
      if (wait == Wait::Not) return;
      fail_temp(to_fs_path(target), path, replacing, made);
    }
    const std::string there = read_small(lock);
    if (is_stale(there, lock)) {
      clear_stale(lock, there);
      continue;
    }
    if (wait == Wait::Not) return;
    if (std::chrono::steady_clock::now() >= give_up) {
      throw FileError(
          kCannotWrite, path,
          LockHolder::describe(there) +
              " is saving it at this moment and has not finished. Wait a moment and save again. "
              "(If no other editor is open, one was stopped while it saved; its lock file \"" +
              lock_ + "\" clears by itself " + std::to_string(kStaleLockAge.count()) +
              " seconds after it was made.)");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

SaveLock::~SaveLock() {
  if (!held_) return;
  // Only our own: a lock that was judged stale and taken over meanwhile is the other editor's.
  const Path lock = to_fs_path(lock_);
  if (read_small(lock) == content_) remove_file(lock);
}

void remove_stale_temporaries(const std::string& path, Links links) {
  std::error_code ec;
  const Path target =
      links == Links::Follow ? resolve_links(to_fs_path(path), ec) : to_fs_path(path);
  if (ec) return;
  const SaveLock lock(from_fs_path(target), path, true, SaveLock::Wait::Not);
  if (!lock.held()) return;  // a save is under way: its temporary file is not stale
  const std::string name = from_fs_path(name_of(target));
  const std::string lock_name = lock_name_for(name);
  for (const Path& file : plain_files_in(folder_of(target))) {
    const std::string entry = from_fs_path(name_of(file));
    TempOwner owner = temp_owner(entry, name);
    if (owner.pid == 0) owner = temp_owner(entry, lock_name);
    if (owner.pid == 0) continue;
    if (owner.this_system ? process_alive(owner.pid) : age_of(file) <= kStaleLockAge) continue;
    remove_file(file);
  }
}

std::string find_ignoring_case(const std::string& folder, std::string_view name) {
  const std::string exact = join(folder, name);
#ifndef _WIN32
  if (entry_exists(exact)) return exact;
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  std::vector<std::string> matches;
  std::error_code ec;
  for (fs::directory_iterator it(to_fs_path(folder), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    if (std::equal(entry.begin(), entry.end(), name.begin(), name.end(),
                   [&](char a, char b) { return lower(a) == lower(b); })) {
      matches.push_back(entry);
    }
  }
  if (!matches.empty()) return join(folder, *std::min_element(matches.begin(), matches.end()));
#endif
  return exact;
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

std::string parent_folder(std::string_view path) { return parent_of(path); }

std::optional<std::string> program_folder(std::string_view executable) {
  // By hand rather than with std::filesystem, which on Windows (MinGW) takes "\\server\share"
  // for a relative path.
#ifdef _WIN32
  const bool drive = executable.size() >= 3 && executable[1] == ':' && is_separator(executable[2]);
  const bool network =
      executable.size() >= 2 && is_separator(executable[0]) && is_separator(executable[1]);
  const std::size_t root = drive ? 3 : 2;
  if (!drive && !network) return std::nullopt;
#else
  const std::size_t root = 1;
  if (executable.empty() || executable[0] != '/') return std::nullopt;
#endif
  if (is_separator(executable.back())) return std::nullopt;
  std::size_t end = executable.size() - 1;
  while (!is_separator(executable[end])) --end;
  // The root keeps its separator ("C:\", "/"); any other folder loses it.
  return std::string(executable.substr(0, end < root ? root : end));
}

}  // namespace quorvane::files
