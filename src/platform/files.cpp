#include "platform/files.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <system_error>

#include "platform/files_detail.h"

namespace quorvane::files {

namespace detail {

#ifndef _WIN32
Path to_fs_path(const std::string& path) { return Path(path); }

std::string from_fs_path(const Path& path) { return path.string(); }
#endif

void fail(const char* action, const std::string& path, int code) {
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

// The same folder, so the rename cannot cross file systems, and a dot name, so a file left by a
// crash stays out of the way.
Path temp_path_for(const Path& target, unsigned long pid) {
  const std::string suffix = ".tmp-" + std::to_string(pid) + "-" + std::to_string(++temp_counter);
  Path name = to_fs_path(".");
  name += name_of(target);
  name += Path(suffix.begin(), suffix.end());
  return to_fs_path(join(from_fs_path(folder_of(target)), from_fs_path(name)));
}

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

}  // namespace detail

using namespace detail;

void remove_stale_temporaries(const std::string& path, Links links) {
  std::error_code ec;
  const Path target =
      links == Links::Follow ? resolve_links(to_fs_path(path), ec) : to_fs_path(path);
  if (ec) return;
  const std::string name = from_fs_path(name_of(target));
  for (const Path& file : plain_files_in(folder_of(target))) {
    const unsigned long owner = temp_owner(from_fs_path(name_of(file)), name);
    if (owner != 0 && !process_alive(owner)) remove_file(file);
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
