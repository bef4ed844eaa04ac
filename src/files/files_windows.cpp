// Files on Windows: handles, FlushFileBuffers and MoveFileExW.

#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "files/files.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>

#include "files/files_detail.h"

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

bool rename_file(const Path& from, const Path& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::chrono::seconds age_of(const Path& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    return std::chrono::seconds(0);
  }
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const auto ticks = [](const FILETIME& t) {
    return static_cast<long long>(ULARGE_INTEGER{{t.dwLowDateTime, t.dwHighDateTime}}.QuadPart);
  };
  // FILETIME counts 100 ns.
  return std::chrono::seconds((ticks(now) - ticks(data.ftLastWriteTime)) / 10000000);
}

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

// The name the system gives an open object, "\\??\\C:\\x" for a file, asked of ntdll with a
// buffer as large as a name can be.
bool object_name(HANDLE handle, std::wstring& name) {
  struct Name {
    USHORT length;
    USHORT maximum;
    PWSTR buffer;
  };
  using Query = LONG(WINAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
  if (query == nullptr) return false;
  std::vector<unsigned char> buffer(sizeof(Name) + 65536 * sizeof(wchar_t));
  ULONG needed = 0;
  constexpr int kObjectNameInformation = 1;
  if (query(handle, kObjectNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
            &needed) < 0) {
    return false;
  }
  const auto* info = reinterpret_cast<const Name*>(buffer.data());
  name.assign(info->buffer, info->length / sizeof(wchar_t));
  if (name.rfind(L"\\??\\UNC\\", 0) == 0) {
    name = L"\\\\" + name.substr(8);
  } else if (name.rfind(L"\\??\\", 0) == 0) {
    name = L"\\\\?\\" + name.substr(4);
  } else {
    return false;  // a device name, which no path of the user's spells
  }
  return true;
}

// Where an open file or folder really is, every link on the way followed.
bool final_path(HANDLE handle, Path& result, std::error_code& ec) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) {
      const DWORD error = GetLastError();
      // Wine answers "more data" for any path longer than MAX_PATH, whatever room it is given.
      std::wstring name;
      if (error == ERROR_MORE_DATA && object_name(handle, name)) {
        result = without_long_prefix(std::move(name));
        return true;
      }
      ec.assign(static_cast<int>(error), std::system_category());
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
  return found ? where : path;
}

bool under_wine() {
  static const bool wine =
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

unsigned long current_pid() { return GetCurrentProcessId(); }

std::string host_name() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return "";
  return from_fs_path(Path(std::wstring(name, size)));
}

bool is_windows_link(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(to_fs_path(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

int create_exclusive(const Path& path, std::string_view bytes, bool& whole) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? kAlreadyThere
                                                                       : static_cast<int>(error);
  }
  DWORD written = 0;
  whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
          written == bytes.size();
  if (!whole) {
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
  }
  CloseHandle(file);
  return 0;
}

int move_without_replacing(const Path& from, const Path& to) {
  if (MoveFileExW(from.c_str(), to.c_str(), 0)) return 0;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? kAlreadyThere
                                                                     : static_cast<int>(error);
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
  // Gone now rather than at the end of the scope: its name, once it is linked elsewhere.
  void remove() {
    close();
    if (!path_.empty() && !committed_) DeleteFileW(path_.c_str());
    committed_ = true;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  Path path_;
  bool committed_ = false;
};

// Wine turns a copied DACL into a Unix mode of its own making: the group gets what the owner
// gets, "full access" brings the execute bits, and inherited rules come along, so a private 0600
// file would become 0775. Its mapping is exact only for rights given to Everyone (all three
// classes) and to an owner that is not the user running the program (the owner's class alone).
// So the old file's rules, which Wine draws from its mode, are read back as the owner's and the
// others' read and write, and given in that form. The group's own bits cannot be told from
// Windows; it gets what the others get, never more than the owner.
bool carry_over_mode_under_wine(const Path& from, const Path& to) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(from.c_str(), SE_FILE_OBJECT,
                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                            &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  BYTE world[SECURITY_MAX_SID_SIZE];
  BYTE owner_rights[SECURITY_MAX_SID_SIZE];
  DWORD world_size = sizeof world;
  DWORD owner_rights_size = sizeof owner_rights;
  const bool sids =
      CreateWellKnownSid(WinWorldSid, nullptr, world, &world_size) &&
      CreateWellKnownSid(WinCreatorOwnerRightsSid, nullptr, owner_rights, &owner_rights_size);
  const auto rw = [](ACCESS_MASK mask) {
    ACCESS_MASK rights = 0;
    if (mask & (FILE_READ_DATA | GENERIC_READ | GENERIC_ALL)) rights |= FILE_GENERIC_READ;
    if (mask & (FILE_WRITE_DATA | GENERIC_WRITE | GENERIC_ALL)) rights |= FILE_GENERIC_WRITE;
    return rights;
  };
  // The owner may write the new file until it has its name; "read-only" comes after.
  ACCESS_MASK owner_mask = FILE_GENERIC_WRITE;
  ACCESS_MASK world_mask = 0;
  for (DWORD i = 0; sids && dacl != nullptr && i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) continue;
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
    if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    PSID sid = const_cast<DWORD*>(&allowed->SidStart);
    if (owner != nullptr && EqualSid(sid, owner)) owner_mask |= rw(allowed->Mask);
    if (EqualSid(sid, world)) world_mask |= rw(allowed->Mask);
  }
  LocalFree(descriptor);
  if (!sids) return false;
  world_mask &= owner_mask;

  BYTE acl_buffer[512];
  auto* acl = reinterpret_cast<PACL>(acl_buffer);
  SECURITY_DESCRIPTOR wanted;
  return InitializeAcl(acl, sizeof acl_buffer, ACL_REVISION) &&
         (owner_mask == 0 || AddAccessAllowedAce(acl, ACL_REVISION, owner_mask, owner_rights)) &&
         (world_mask == 0 || AddAccessAllowedAce(acl, ACL_REVISION, world_mask, world)) &&
         InitializeSecurityDescriptor(&wanted, SECURITY_DESCRIPTOR_REVISION) &&
         SetSecurityDescriptorOwner(&wanted, owner_rights, FALSE) &&
         SetSecurityDescriptorDacl(&wanted, TRUE, acl, FALSE) &&
         SetFileSecurityW(to.c_str(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                          &wanted);
}

// The replacement takes over the old file's own access rules and attributes (its inherited rules
// come from the folder, as the old file's did). The attributes go first: under Wine, clearing
// "read-only" gives write bits back, which the rules then settle. On Windows this is best
// effort, like the owner on POSIX: a file that saved is worth more than a rule that could not be
// copied. Under Wine, where the rules are the file's mode, a file that would end up more open
// than the old one is not made: false, and the caller refuses the save.
bool carry_over_security(const Path& from, const Path& to, DWORD attributes) {
  const DWORD kept =
      attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  SetFileAttributesW(to.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
  if (under_wine()) return carry_over_mode_under_wine(from, to);

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
  return true;
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
  // Only a Windows link is opened to see whether it leads anywhere: under Wine, what Windows
  // cannot describe (a Unix pipe, a link to a device) is still something standing at the name,
  // and start-up must not try to create the file over it.
  if (!entry_exists(path)) return false;
  if (!is_windows_link(path)) return true;
  // Opened for no access, the link is followed to its end.
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

EntryKind entry_kind(const std::string& path) {
  // exists() follows a Windows link to its end; the attributes are then those of the name.
  if (!exists(path)) return EntryKind::Missing;
  const DWORD attributes = GetFileAttributesW(to_fs_path(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return EntryKind::Unknown;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::Folder : EntryKind::File;
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

namespace {

bool in_use(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Whether the user may replace the file: 0, or the reason not. A rename asks only the folder,
// so a file that is not the user's to change (another user's, under Wine one whose Unix mode
// forbids writing) is asked here as writing it in place would ask. Another program that holds
// it open without letting others write or delete it keeps the rename out too.
DWORD may_replace(const Path& target) {
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  for (const DWORD access : {DWORD{GENERIC_WRITE}, DWORD{DELETE}}) {
    HANDLE file = CreateFileW(target.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      continue;
    }
    const DWORD error = GetLastError();
    if (in_use(error)) return error;
    // Deleting may be the folder's to allow, so only a refused write says "not yours".
    if (access == GENERIC_WRITE && error == ERROR_ACCESS_DENIED) return error;
  }
  return 0;
}

}  // namespace

void write_atomic(const std::string& path, std::string_view bytes,
                  const std::function<void()>& check) {
  std::error_code ec;
  const Path target = resolve_links(to_fs_path(path), ec);
  if (ec) fail(kCannotWrite, path, ec.value());

  DWORD attributes = INVALID_FILE_ATTRIBUTES;
  // Looked at before the lock, so that its own reason wins over the lock's, and again under it,
  // as another editor may have replaced the file meanwhile.
  const auto examine = [&] {
    attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      throw FileError(kCannotWrite, path, is_a_directory());
    }
    // A read-only file is the user's way of saying "do not change this"; a rename would not ask.
    if (attributes & FILE_ATTRIBUTE_READONLY) fail(kCannotWrite, path, ERROR_ACCESS_DENIED);
    if (const DWORD refused = may_replace(target)) fail(kCannotWrite, path, refused);
    return true;
  };
  bool replacing = examine();

  const SaveLock lock(from_fs_path(target), path, replacing);
  if (check) check();
  replacing = examine();
  TempFile temp;
  write_temp(temp, target, bytes, kCannotWrite, path, replacing);
  if (replacing && !carry_over_security(target, temp.path(), attributes)) {
    throw FileError(kCannotWrite, path,
                    "its permissions could not be given to the new file, which would have been "
                    "open to more users than the old one");
  }
  if (check) check();
  if (!MoveFileExW(temp.path().c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    const DWORD refused = may_replace(target);
    fail(kCannotWrite, path, static_cast<int>(in_use(refused) ? refused : error));
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

  const SaveLock lock(from_fs_path(target), path, false);
  TempFile temp;
  write_temp(temp, target, bytes, kCannotCreate, path, false);
  if (!carry_over_security(model, temp.path(), attributes)) {
    throw FileError(kCannotCreate, path,
                    "the permissions of \"" + like +
                        "\" could not be given to it, and it would have been open to more "
                        "users than that file");
  }
  // A hard link is refused wherever anything stands at the name. A move without
  // MOVEFILE_REPLACE_EXISTING is too on Windows, but Wine checks the name through Unix links and
  // then renames, which replaces a link that leads nowhere; so the link comes first, and the move
  // only where the file system has no hard links (FAT, some network shares).
  // A copy of a read-only file is read-only too, once its temporary name is gone.
  const auto made = [&] {
    if (attributes & FILE_ATTRIBUTE_READONLY) {
      const DWORD now = GetFileAttributesW(target.c_str());
      if (now != INVALID_FILE_ATTRIBUTES) {
        SetFileAttributesW(target.c_str(), now | FILE_ATTRIBUTE_READONLY);
      }
    }
    return true;
  };
  if (CreateHardLinkW(target.c_str(), temp.path().c_str(), nullptr)) {
    temp.remove();
    return made();
  }
  DWORD error = GetLastError();
  if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
    if (MoveFileExW(temp.path().c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
      temp.commit();
      return made();
    }
    error = GetLastError();
  }
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return false;
  fail(kCannotCreate, path, static_cast<int>(error));
}

}  // namespace quorvane::files
