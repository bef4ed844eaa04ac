#pragma once

// What the system-specific halves of files.cpp share: path conversion, error reporting, the
// names of temporary files and the resolution of symbolic links. Not part of files.h.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <filesystem>
#endif

#include "files/files.h"

namespace quorvane::files::detail {

#ifdef _WIN32
// The UTF-16 that the system's W functions take. Not std::filesystem::path: with MinGW its
// conversions bring the C++ locale library into the .exe, which was more than half of it.
using Path = std::wstring;
#else
namespace fs = std::filesystem;
using Path = fs::path;
#endif

inline constexpr const char* kCannotRead = file_action::kRead;
inline constexpr const char* kCannotWrite = file_action::kWrite;
inline constexpr const char* kCannotCreate = file_action::kCreate;

// Paths travel through the program as UTF-8: on Windows they become the UTF-16 of the W
// functions, an absolute one too long for the plain form in the "\\?\" form, which the system
// takes up to 32767 characters; elsewhere the bytes are the name.
Path to_fs_path(const std::string& path);
std::string from_fs_path(const Path& path);

// The code comes in by value, read before any allocation for the message could change it.
[[noreturn]] void fail(const char* action, const std::string& path, int code);

std::string is_a_directory();

// FileError("Cannot read", ...) for a file of `size` bytes, more than the bound.
[[noreturn]] void fail_too_large(const std::string& path, std::uintmax_t size);
// The same for a file that grew past the bound while it was read.
[[noreturn]] void fail_grew_too_large(const std::string& path);

// Reads a file to its end through read_some(buffer, capacity, code), which returns the bytes it
// got, 0 at the end, or -1 after a failure (with its system error code in `code`). `claimed` is
// the size the file reports; it only sizes the buffer, so a file that lies about it still stops
// at bound + 1 bytes. Memory running out becomes a FileError like any other reason.
template <typename ReadSome>
std::string read_bounded(const std::string& path, std::uintmax_t claimed, std::uintmax_t bound,
                         ReadSome read_some) {
  if (claimed > bound) fail_too_large(path, claimed);
  try {
    std::string bytes;
    // One more than claimed, so a file read in full does not grow the buffer to find its end.
    bytes.reserve(static_cast<std::size_t>(claimed) + 1);
    char buffer[10000];
    for (;;) {
      const std::uintmax_t room = bound + 1 - bytes.size();
      const std::size_t want =
          room < sizeof buffer ? static_cast<std::size_t>(room) : sizeof buffer;
      int code = 0;
      const long long got = read_some(buffer, want, code);
      if (got < 0) fail(kCannotRead, path, code);
      if (got == 0) return bytes;
      bytes.append(buffer, static_cast<std::size_t>(got));
      if (bytes.size() > bound) fail_grew_too_large(path);
    }
  } catch (const std::bad_alloc&) {
    throw FileError(kCannotRead, path, "there is not enough memory to hold it");
  }
}

bool is_separator(char c);

// The file at the end of a chain of symbolic links (the end need not exist yet), so that saving
// replaces that file and the link stays a link. A chain that cannot be followed to its end sets
// `ec`; on POSIX, what cannot be examined at all is left to the open that follows, which reports
// it with the system's own reason. Each system has its own.
Path resolve_links(const Path& path, std::error_code& ec);

// The folder of a file's path, "." for a bare name; and the name itself.
Path folder_of(const Path& target);
Path name_of(const Path& target);

// The regular files in `folder`, links and folders left out; nothing when it cannot be read.
std::vector<Path> plain_files_in(const Path& folder);
// Best effort.
void remove_file(const Path& path);

// A save's temporary file could not be made beside `target` (`path` as the caller named it).
// When a file is being replaced, the file is not the trouble: the folder refused a new one.
[[noreturn]] void fail_temp(const Path& target, const std::string& path, bool replacing, int code);

// ".VOZ.INI.tmp-<pid>-<n>" beside the target; from the Windows build ".VOZ.INI.tmp-w<pid>-<n>".
Path temp_path_for(const Path& target, unsigned long pid);

// The process that made a temporary file named as temp_path_for names them for `name`, and
// whether it ran on this system (whose processes process_alive can look up); pid 0 when the
// file name is not one of ours.
struct TempOwner {
  unsigned long pid = 0;
  bool this_system = false;
};
TempOwner temp_owner(const std::string& file_name, const std::string& name);

bool process_alive(unsigned long pid);
#ifdef _WIN32
// Whether the name itself is a Windows symbolic link or junction (a reparse point). Wine shows
// Unix links as what they lead to, never as one.
bool is_windows_link(const std::string& path);
#endif
unsigned long current_pid();
// The machine's name, as this system gives it; "" when it does not.
std::string host_name();

// Makes the file `path` holding `bytes` only if nothing stands at its name: 0, kAlreadyThere, or
// the system's error code. A file that was made but could not take its bytes (a full disk) is
// kept, empty, and `whole` says so.
inline constexpr int kAlreadyThere = -1;
int create_exclusive(const Path& path, std::string_view bytes, bool& whole);
// Gives `from` the name `to` unless something stands there: 0, kAlreadyThere, or an error code.
int move_without_replacing(const Path& from, const Path& to);
// Gives `from` the name `to`, replacing what stands there; false when it cannot.
bool rename_file(const Path& from, const Path& to);
// How long ago the entry was last written; zero when that cannot be told.
std::chrono::seconds age_of(const Path& path);

#ifndef _WIN32
// Gives the file `from` the name `to` only if nothing stands at `to`, a dangling link included:
// 0, EEXIST when something does, or the errno of another failure. Renames without replacing
// where the system can (may_rename), else makes a hard link and removes `from`.
int place_without_replacing(const fs::path& from, const fs::path& to, bool may_rename = true);
#endif

}  // namespace quorvane::files::detail
