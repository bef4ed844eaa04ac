#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "files/file_error.h"

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

// What stands at a path, links followed: what the emulator finds when it opens it.
enum class EntryKind {
  Missing,  // nothing, or a link that leads nowhere
  File,     // a file, or anything else that is not a folder
  Folder,
  Unknown,  // the path cannot be examined (no permission, a broken medium): count it as there
};
EntryKind entry_kind(const std::string& path);

// The whole content of a regular file. Throws FileError("Cannot read", ...), also for a file
// larger than kMaxReadBytes (its size in the reason) or one that grows past it while it is read:
// no more than kMaxReadBytes + 1 bytes are ever taken, whatever size the file claims.
std::string read_all(const std::string& path);

// How long a save waits for another editor's save of the same file to end before it gives up.
inline constexpr std::chrono::milliseconds kSaveWait{10000};
// A save lock this old was left by an editor that was killed part way (or whose disk stalled for
// that long): it no longer keeps anyone out.
inline constexpr std::chrono::seconds kStaleLockAge{30};

// Keeps the saves of one file apart, across processes and across the Linux build and the .exe
// under Wine: ".<name>.lock" beside the file (the file a symbolic link leads to), made
// exclusively, holding who made it and when, removed when the save ends. A lock whose editor is
// known to be gone (same system, same machine, process ended), or older than kStaleLockAge, is
// cleared by the next editor that finds it.
class SaveLock {
 public:
  enum class Wait { Briefly, Not };
  // `target`: the file itself, links already followed. With Wait::Briefly it waits up to kSaveWait
  // for another save to end, then throws FileError("Cannot write", path, ...) naming the editor
  // that holds it; a lock that cannot be made at all throws as a temporary file that cannot be
  // made would (see write_atomic). With Wait::Not it never throws: held() tells.
  SaveLock(const std::string& target, const std::string& path, bool replacing,
           Wait wait = Wait::Briefly);
  SaveLock(const SaveLock&) = delete;
  SaveLock& operator=(const SaveLock&) = delete;
  ~SaveLock();

  bool held() const { return held_; }
  // The lock file's path, for tests and messages.
  static std::string path_for(const std::string& target);

 private:
  std::string lock_;
  std::string content_;
  bool held_ = false;
};

// Replaces the file with `bytes` atomically: a temporary file in the same folder is written,
// flushed to disk and renamed over the target, all under the file's SaveLock. `check`, when
// given, runs under the lock before anything is written and again just before the rename, and
// stops the save by throwing. The target's permissions are kept; a symbolic link is followed, so
// the file it points to is replaced and the link stays (on POSIX only a link of the user's own:
// another user's link is refused, naming its owner). On failure the old file is untouched, the
// temporary file is removed, and FileError("Cannot write", ...) names the target and the reason;
// when the temporary file cannot be made, the error names the folder
// (file_action::kNoNewFileIn), or, where there was no file yet, the file (file_action::kCreate).
void write_atomic(const std::string& path, std::string_view bytes,
                  const std::function<void()>& check = {});

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
// (a crash, a kill, a power cut). Only while it holds the file's SaveLock, which every save holds
// as long as its temporary file exists, so a save under way in another editor (of either build)
// keeps its file; those of a process that is still running are left alone too, and nothing else
// is touched. The two builds cannot see each other's processes, so a temporary file of the other
// build must also be older than kStaleLockAge. Best effort: it never fails.
void remove_stale_temporaries(const std::string& path, Links links = Links::Follow);

// The entry of `folder` that the system would open for `name`: on Windows `name` itself; on
// POSIX, as Windows (and Wine) would look it up, the exact name first, else the one that
// matches it without regard to case (the first in byte order, if several do), else `name`.
std::string find_ignoring_case(const std::string& folder, std::string_view name);

}  // namespace quorvane::files
