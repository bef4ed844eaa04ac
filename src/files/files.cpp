#include "files/files.h"

#include <atomic>
#include <filesystem>
#include <optional>
#include <system_error>

#include "files/files_detail.h"

namespace quorvane::files {

namespace detail {

fs::path to_fs_path(const std::string& path) {
#ifdef _WIN32
  return fs::path(std::u8string(path.begin(), path.end()));
#else
  return fs::path(path);
#endif
}

std::string from_fs_path(const fs::path& path) {
#ifdef _WIN32
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
#else
  return path.string();
#endif
}

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
// Several saves may run in one process (the backup copy, then VOZ.INI), and a crashed earlier
// run may have left a temporary file behind; the counter and exclusive creation keep names apart.
std::atomic<unsigned> temp_counter{0};
}  // namespace

void fail_temp(const fs::path& target, const std::string& path, bool replacing, int code) {
  if (!replacing) fail(kCannotCreate, path, code);
  fail(file_action::kNoNewFileIn, from_fs_path(folder_of(target)), code);
}

fs::path folder_of(const fs::path& target) {
  return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

// The same folder, so the rename cannot cross file systems, and a dot name, so a file left by a
// crash stays out of the way.
fs::path temp_path_for(const fs::path& target, unsigned long pid) {
  fs::path name(".");
  name += target.filename();
  name += ".tmp-" + std::to_string(pid) + "-" + std::to_string(++temp_counter);
  return folder_of(target) / name;
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
  const fs::path target =
      links == Links::Follow ? resolve_links(to_fs_path(path), ec) : to_fs_path(path);
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
