#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_error.h"

namespace quorvane::files {

// The native path separator ('\\' on Windows, '/' elsewhere).
char separator();

// Joins a folder and a file name with one separator; a folder that already ends in a separator
// (a drive root such as "C:\") gets none added.
std::string join(std::string_view folder, std::string_view name);

// The folder that holds `path`, as written ("C:\a\b" -> "C:\a", "/a" -> "/"): nothing is
// looked up and no link followed. "" for a root ("C:\", "/", "\\server\share") and for a
// bare name.
std::string parent_folder(std::string_view path);

// True when anything (a file, a folder, ...) stands at the path, symbolic links followed. A path
// that cannot be examined counts as existing, so that callers never take it for a missing file.
bool exists(const std::string& path);

// The most read_all takes from any file. A settings file is about 8 kB; anything this large is
// something else (an image, a disk dump, a sparse file) and would only exhaust memory.
inline constexpr std::uintmax_t kMaxReadBytes = std::uintmax_t{64} << 20;

// The full path of the running program's executable file as the system reports it (on Linux
// /proc/self/exe, on Windows GetModuleFileNameW), or "" when it does not tell.
std::string executable_path();

// The folder that holds `executable`, without a final separator except at a root ("C:\", "/").
// Nothing for an empty or relative path: resolving that against the working folder would make
// the editor work on whatever VOZ.INI lies there.
std::optional<std::string> program_folder(std::string_view executable);

// True when anything at all stands at the path itself: a file, a folder, a pipe, a device, or a
// symbolic link, dangling or not, which is not followed. A path that cannot be examined counts as
// taken.
bool entry_exists(const std::string& path);

// The whole content of a regular file. Throws FileError("Cannot read", ...), also for a file
// larger than kMaxReadBytes (its size in the reason) or one that grows past it while it is read:
// no more than kMaxReadBytes + 1 bytes are ever taken, whatever size the file claims.
std::string read_all(const std::string& path);

// Replaces the file with `bytes` atomically: a temporary file in the same folder is written,
// flushed to disk and renamed over the target. The target's permissions are kept; a symbolic
// link is followed, so the file it points to is replaced and the link stays. On failure the
// old file is untouched, the temporary file is removed, and FileError("Cannot write", ...) names
// the target and the reason; when the temporary file cannot be made, the error names the folder
// (file_action::kNoNewFileIn), or, where there was no file yet, the file (file_action::kCreate).
void write_atomic(const std::string& path, std::string_view bytes);

// Creates the file `path` holding `bytes`, with the permissions (and, where the system allows, the
// owner) of the existing file `like`. Whatever stands at `path` is never replaced, followed or
// written through: the bytes go to a temporary file beside it, flushed to disk, which takes the
// name only if the name is still free. Returns false, having changed nothing, when something took
// the name first. Throws FileError("Cannot create", path, ...) when the file cannot be made.
bool create_new(const std::string& path, std::string_view bytes, const std::string& like);

// Whether remove_stale_temporaries looks beside the file a link leads to, where write_atomic
// makes its temporaries, or beside the name itself, where create_new makes them.
enum class Links { Follow, DoNotFollow };

// Removes the temporary files that saves of `path` left behind when their process died part way
// (a crash, a kill, a power cut). Those of a process that is still running are left alone, and
// nothing else is touched. Best effort: it never fails.
void remove_stale_temporaries(const std::string& path, Links links = Links::Follow);

}  // namespace quorvane::files
