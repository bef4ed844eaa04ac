#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_error.h"

namespace quorvane::files {

// The native path separator ('\\' on Windows, '/' elsewhere).
char separator();

// Joins a folder and a file name with one separator; a folder that already ends in a separator
// (a drive root such as "C:\") gets none added.
std::string join(std::string_view folder, std::string_view name);

// True when the file exists and can be opened for reading.
bool can_open_for_reading(const std::string& path);

// True when anything (a file, a folder, ...) stands at the path, symbolic links followed. A path
// that cannot be examined counts as existing, so that callers never take it for a missing file.
bool exists(const std::string& path);

// The most read_all takes from any file. A settings file is about 8 kB; anything this large is
// something else (an image, a disk dump, a sparse file) and would only exhaust memory.
inline constexpr std::uintmax_t kMaxReadBytes = std::uintmax_t{64} << 20;

// The whole content of a regular file. Throws FileError("Cannot read", ...), also for a file
// larger than kMaxReadBytes (its size in the reason) or one that grows past it while it is read:
// no more than kMaxReadBytes + 1 bytes are ever taken, whatever size the file claims.
std::string read_all(const std::string& path);

// Replaces the file with `bytes` atomically: a temporary file in the same folder is written,
// flushed to disk and renamed over the target. The target's permissions are kept; a symbolic
// link is followed, so the file it points to is replaced and the link stays. On failure the
// old file is untouched, the temporary file is removed, and FileError("Cannot write", ...) names
// the target and the reason.
void write_atomic(const std::string& path, std::string_view bytes);

// Removes the temporary files that saves of `path` left behind when their process died part way
// (a crash, a kill, a power cut). Those of a process that is still running are left alone, and
// nothing else is touched. Best effort: it never fails.
void remove_stale_temporaries(const std::string& path);

// Copies a file byte for byte, creating or replacing `to`. Throws FileError.
void copy(const std::string& from, const std::string& to);

}  // namespace quorvane::files
