// Files on Windows: handles, FlushFileBuffers and MoveFileExW.

#include <string>
#include <system_error>
#include <vector>

#include "platform/files.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>

#include "platform/files_detail.h"

namespace quorvane::files {

using namespace detail;

namespace detail {

namespace {

std::wstring widen(const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  std::wstring wide(
      static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0)),
      L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
  return wide;
}

}  // namespace

Path to_fs_path(const std::string& path) {
  Path wide = widen(path);
  // CreateDirectoryW stops short of MAX_PATH by the room for an 8.3 name.
  if (wide.size() < MAX_PATH - 12 || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  const bool drive = wide.size() > 2 && wide[1] == L':' && (wide[2] == L'\\' || wide[2] == L'/');
  const bool network =
      (wide[0] == L'\\' || wide[0] == L'/') && (wide[1] == L'\\' || wide[1] == L'/');
  if (!drive && !network) return wide;
  // The long form takes the path as it stands: backslashes only, no "." or "..".
  std::wstring full(wide.size() + 1, L'\0');
  const DWORD got =
      GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (got == 0 || got >= full.size()) return wide;
  full.resize(got);
  return network ? L"\\\\?\\UNC" + full.substr(1) : L"\\\\?\\" + full;
}

std::string from_fs_path(const Path& path) {
  if (path.empty()) return {};
  const int size = static_cast<int>(path.size());
  std::string text(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, path.data(), size,
                                                                nullptr, 0, nullptr, nullptr)),
                   '\0');
  WideCharToMultiByte(CP_UTF8, 0, path.data(), size, text.data(), static_cast<int>(text.size()),
                      nullptr, nullptr);
  return text;
}

std::vector<Path> plain_files_in(const Path& folder) {
  std::vector<Path> files;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileExW(to_fs_path(join(from_fs_path(folder), "*")).c_str(),
                                   FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    const DWORD not_plain =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    if ((found.dwFileAttributes & not_plain) == 0) {
      files.push_back(to_fs_path(join(from_fs_path(folder), from_fs_path(found.cFileName))));
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return files;
}

void remove_file(const Path& path) { DeleteFileW(path.c_str()); }

namespace {

// Opened for no access at all, a file (or, with backup semantics, a folder) can be asked where it
// really is even while another program holds it without sharing.
HANDLE open_to_locate(const Path& path) {
  return CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// "\\?\C:\x" as "C:\x" and "\\?\UNC\server\share" as "\\server\share", the forms the rest of the
// program (and the user) knows; a path too long for them keeps its prefix.
std::wstring without_long_prefix(std::wstring path) {
  if (path.size() >= MAX_PATH || path.rfind(L"\\\\?\\", 0) != 0) return path;
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
  return path.substr(4);
}

// Where an open file or folder really is, every link on the way followed.
bool final_path(HANDLE handle, Path& result, std::error_code& ec) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) {
      ec.assign(static_cast<int>(GetLastError()), std::system_category());
      return false;
    }
    // A buffer too small gets the size it needs, terminating zero included.
    if (length < buffer.size()) {
      buffer.resize(length);
      break;
    }
    buffer.resize(length);
  }
  result = without_long_prefix(std::move(buffer));
  return true;
}

}  // namespace

// MinGW's std::filesystem does not see links on Windows (nor Unix links under Wine), so the
// system is asked where an open of the path really lands. A file that does not exist yet is made
// where its folder really is.
Path resolve_links(const Path& path, std::error_code& ec) {
  HANDLE file = open_to_locate(path);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // A chain of links that never ends, above all, must not be replaced by a file.
    if (error != ERROR_FILE_NOT_FOUND) {
      ec.assign(static_cast<int>(error), std::system_category());
      return path;
    }
    HANDLE folder = open_to_locate(folder_of(path));
    if (folder == INVALID_HANDLE_VALUE) return path;
    Path where;
    std::error_code folder_ec;
    const bool found = final_path(folder, where, folder_ec);
    CloseHandle(folder);
    return found ? to_fs_path(join(from_fs_path(where), from_fs_path(name_of(path)))) : path;
  }
  Path where;
  const bool found = final_path(file, where, ec);
  CloseHandle(file);
  // Wine cannot tell where a path longer than MAX_PATH leads, whatever the buffer. The folders on
  // the way lead wherever they lead for the save's own rename too; only the name itself must not
  // be a link, or the save would replace the link with a file.
  if (!found && ec.value() == ERROR_MORE_DATA &&
      (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    ec.clear();
    return path;
  }
  return found ? where : path;
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

}  // namespace detail

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
  int create(Path path) {
    handle_ = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) return last_error();
    path_ = std::move(path);
    return 0;
  }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  const Path& path() const { return path_; }
  bool close() {
    if (!valid()) return true;
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }
  void commit() { committed_ = true; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  Path path_;
  bool committed_ = false;
};

// The replacement takes over the old file's own access rules and attributes (its inherited rules
// come from the folder, as the old file's did). Best effort, like the owner on POSIX: a file that
// saved is worth more than a rule that could not be copied.
void carry_over_security(const Path& from, const Path& to, DWORD attributes) {
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
    std::wstring target = to;
    SetNamedSecurityInfoW(target.data(), SE_FILE_OBJECT, info, nullptr, nullptr, dacl, nullptr);
    LocalFree(descriptor);
  }
  const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  SetFileAttributesW(to.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
}

// Directories fail here by themselves: opening one needs FILE_FLAG_BACKUP_SEMANTICS.
HANDLE open_for_reading(const std::string& path) {
  return CreateFileW(to_fs_path(path).c_str(), GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::string executable_path() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD got = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (got == 0) return "";
    if (got < path.size()) {
      path.resize(got);
      return from_fs_path(path);
    }
    path.resize(path.size() * 2);  // cut short: try again with more room
  }
}

bool exists(const std::string& path) {
  // Opened for no access, the way a link leads is followed to its end.
  HANDLE file = CreateFileW(to_fs_path(path).c_str(), 0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return true;
  }
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
      return false;
    default:
      return true;
  }
}

// The attributes of the name itself: a symbolic link or junction is a reparse point, never
// followed here, whether or not anything is at its end. (MinGW's std::filesystem sees no links.)
bool entry_exists(const std::string& path) {
  if (GetFileAttributesW(to_fs_path(path).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

std::string read_all(const std::string& path) {
  Handle file(open_for_reading(path));
  if (!file.valid()) {
    const int error = last_error();
    // Windows refuses to open a folder as "access denied", which would send the user looking
    // at permissions.
    const DWORD attributes = GetFileAttributesW(to_fs_path(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      throw FileError(kCannotRead, path, is_a_directory());
    }
    fail(kCannotRead, path, error);
  }
  // A console, a pipe or a serial port opened by name would be read for ever or block.
  if (GetFileType(file.get()) != FILE_TYPE_DISK) {
    throw FileError(kCannotRead, path, "Not a regular file");
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) fail(kCannotRead, path, last_error());
  return read_bounded(
      path, static_cast<std::uintmax_t>(size.QuadPart), kMaxReadBytes,
      [&file](char* buffer, std::size_t capacity, int& code) -> long long {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, static_cast<DWORD>(capacity), &got, nullptr)) {
          code = last_error();
          return -1;
        }
        return got;
      });
}

namespace {

// Makes the temporary file of a save beside `target` and fills it with `bytes`, flushed to disk.
// `replacing`: whether a file stands at `target`, which decides whom a failure to make the
// temporary file blames (see fail_temp).
void write_temp(TempFile& temp, const Path& target, std::string_view bytes, const char* action,
                const std::string& path, bool replacing) {
  for (int attempt = 0; attempt < 100 && !temp.valid(); ++attempt) {
    const int error = temp.create(temp_path_for(target, GetCurrentProcessId()));
    if (error != 0 && error != ERROR_FILE_EXISTS) fail_temp(target, path, replacing, error);
  }
  if (!temp.valid()) fail_temp(target, path, replacing, ERROR_FILE_EXISTS);

  const char* next = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(temp.get(), next, chunk, &written, nullptr)) fail(action, path, last_error());
    // A write that "succeeds" with nothing written would loop for ever.
    if (written == 0) fail(action, path, ERROR_WRITE_FAULT);
    next += written;
    left -= written;
  }
  if (!FlushFileBuffers(temp.get()) || !temp.close()) fail(action, path, last_error());
}

}  // namespace

void write_atomic(const std::string& path, std::string_view bytes) {
  std::error_code ec;
  const Path target = resolve_links(to_fs_path(path), ec);
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
  write_temp(temp, target, bytes, kCannotWrite, path, attributes != INVALID_FILE_ATTRIBUTES);
  if (attributes != INVALID_FILE_ATTRIBUTES) carry_over_security(target, temp.path(), attributes);
  if (!MoveFileExW(temp.path().c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    fail(kCannotWrite, path, last_error());
  }
  temp.commit();
}

bool create_new(const std::string& path, std::string_view bytes, const std::string& like) {
  // The name itself: a link or junction there is something standing there, never a way through.
  const Path target = to_fs_path(path);
  std::error_code ec;
  const Path model = resolve_links(to_fs_path(like), ec);
  if (ec) throw FileError(kCannotCreate, path, ec.message());
  const DWORD attributes = GetFileAttributesW(model.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) fail(kCannotCreate, path, last_error());

  TempFile temp;
  write_temp(temp, target, bytes, kCannotCreate, path, false);
  carry_over_security(model, temp.path(), attributes);
  // A hard link is refused wherever anything stands at the name. A move without
  // MOVEFILE_REPLACE_EXISTING is too on Windows, but Wine checks the name through Unix links and
  // then renames, which replaces a link that leads nowhere; so the link comes first, and the move
  // only where the file system has no hard links (FAT, some network shares).
  if (CreateHardLinkW(target.c_str(), temp.path().c_str(), nullptr)) return true;
  DWORD error = GetLastError();
  if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
    if (MoveFileExW(temp.path().c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
      temp.commit();
      return true;
    }
    error = GetLastError();
  }
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return false;
  fail(kCannotCreate, path, static_cast<int>(error));
}

}  // namespace quorvane::files
