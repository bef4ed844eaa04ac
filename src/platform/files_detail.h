#pragma once

// What the system-specific halves of files.cpp share: path conversion, error reporting, the
// names of temporary files and the resolution of symbolic links. Not part of files.h.

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/files.h"

namespace quorvane::files::detail {

namespace fs = std::filesystem;

inline constexpr const char* kCannotRead = "Cannot read";
inline constexpr const char* kCannotWrite = "Cannot write";

// Paths travel through the program as UTF-8. On Windows the path has to be told so explicitly,
// or it would be taken in the ANSI code page; elsewhere the bytes are the name.
fs::path to_fs_path(const std::string& path);

// The code comes in by value, read before any allocation for the message could change it.
[[noreturn]] void fail(const char* action, const std::string& path, int code);

std::string is_a_directory();

bool is_separator(char c);

// The file at the end of a chain of symbolic links (the end need not exist yet), so that saving
// replaces that file and the link stays a link. A chain that cannot be followed to its end sets
// `ec`; on POSIX, what cannot be examined at all is left to the open that follows, which reports
// it with the system's own reason. Each system has its own.
fs::path resolve_links(const fs::path& path, std::error_code& ec);

fs::path folder_of(const fs::path& target);

// ".VOZ.INI.tmp-<pid>-<n>" beside the target.
fs::path temp_path_for(const fs::path& target, unsigned long pid);

// The process that made a temporary file named ".<name>.tmp-<pid>-<n>" for `name`, or 0 when
// the file name is not one of ours.
unsigned long temp_owner(const std::string& file_name, const std::string& name);

bool process_alive(unsigned long pid);

}  // namespace quorvane::files::detail
