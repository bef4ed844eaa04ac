// What saving means on Windows, where files carry attributes, other programs hold them open with
// sharing rules, and (under Wine) a VOZ.INI may be a Unix symbolic link.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "files/drives.h"
#include "files/files.h"
#include "files/files_detail.h"
#include "test_support.h"
#include "windows_support.h"

// After windows.h, which they need.
#include <aclapi.h>

namespace quorvane {
namespace {

using testing::attributes_of;
using testing::dead_pid;
using testing::HeldOpen;
using testing::read_bytes;
using testing::set_attributes;
using testing::TempFolder;
using testing::write_bytes;
namespace fs = std::filesystem;

// The save that must be refused: it names the file and gives a reason.
void expect_refused(const std::string& path, std::string_view bytes) {
  try {
    files::write_atomic(path, bytes);
    ADD_FAILURE() << "saved " << path;
  } catch (const FileError& error) {
    EXPECT_EQ(error.path(), path);
    EXPECT_FALSE(error.reason().empty());
    EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
  }
}

TEST(WindowsFiles, SavingThroughUnixLinksReplacesTheirTargetAndKeepsTheLinks) {
#ifndef QUORVANE_UNIX_LINKS
  GTEST_SKIP() << "needs Unix links made from the Linux side (the unix_links fixture under Wine)";
#else
  const fs::path links = QUORVANE_UNIX_LINKS;
  if (!fs::exists(links / "data")) {
    GTEST_SKIP() << "no Unix links in " << links.string() << ": the unix_links fixture makes them";
  }
  const fs::path target = links / "data" / "settings.ini";
  write_bytes(target, "old");

  files::write_atomic((links / "emulator" / "VOZ.INI").string(), "new");
  EXPECT_EQ(read_bytes(target), "new");
  files::write_atomic((links / "emulator" / "chained.INI").string(), "newer");
  EXPECT_EQ(read_bytes(target), "newer");
  files::write_atomic((links / "linked-data" / "settings.ini").string(), "newest");
  EXPECT_EQ(read_bytes(target), "newest");

  // The links still lead to the file: what is written to it directly shows through them.
  write_bytes(target, "direct");
  EXPECT_EQ(files::read_all((links / "emulator" / "VOZ.INI").string()), "direct");
  EXPECT_EQ(files::read_all((links / "emulator" / "chained.INI").string()), "direct");
  EXPECT_EQ(TempFolder::entries_of(links / "data"), std::vector<std::string>{"settings.ini"});
  EXPECT_EQ(TempFolder::entries_of(links / "emulator"),
            (std::vector<std::string>{"VOZ.INI", "chained.INI"}));

  // A chain of links that never ends is no file to replace. (Wine leaves such links out of
  // folder listings; the fixture's check afterwards sees that they are still there.)
  expect_refused((links / "loop" / "a.INI").string(), "new");

  // What a killed save left beside the target is found through the link too.
  const fs::path stale =
      links / "data" / (".settings.ini.tmp-w" + std::to_string(testing::dead_pid()) + "-1");
  write_bytes(stale, "half");
  files::remove_stale_temporaries((links / "emulator" / "VOZ.INI").string());
  EXPECT_FALSE(fs::exists(stale));
#endif
}

TEST(WindowsFiles, SavingKeepsTheHiddenAndSystemAttributes) {
  TempFolder folder;
  const fs::path path = folder / "VOZ.INI";
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  for (const DWORD attributes :
       {DWORD{FILE_ATTRIBUTE_HIDDEN}, DWORD{kKept}, DWORD{FILE_ATTRIBUTE_NORMAL}}) {
    SCOPED_TRACE("attributes " + std::to_string(attributes));
    write_bytes(path, "old");
    set_attributes(path, attributes);
    files::write_atomic(path.string(), "new");
    EXPECT_EQ(attributes_of(path) & kKept, attributes & kKept);
    EXPECT_EQ(read_bytes(path), "new");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});
  }
}

TEST(WindowsFiles, AFileHeldOpenWithoutDeleteSharingIsNotReplaced) {
  TempFolder folder;
  const fs::path path = folder / "VOZ.INI";
  write_bytes(path, "old");
  {
    const HeldOpen held(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    expect_refused(path.string(), "new");
    EXPECT_EQ(read_bytes(path), "old");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});
  }
  // Let go of, it is replaced: the refusal came from the other program.
  files::write_atomic(path.string(), "new");
  EXPECT_EQ(read_bytes(path), "new");
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});
}

TEST(WindowsFiles, AFileHeldOpenWithoutReadSharingCannotBeRead) {
  TempFolder folder;
  const fs::path path = folder / "VOZ.INI";
  write_bytes(path, "old");
  const HeldOpen held(path, GENERIC_WRITE, 0);
  EXPECT_TRUE(files::entry_exists(path.string()));  // a backup held open is still a backup
  try {
    files::read_all(path.string());
    ADD_FAILURE() << "read a file held without read sharing";
  } catch (const FileError& error) {
    EXPECT_EQ(error.path(), path.string());
    EXPECT_FALSE(error.reason().empty());
  }
  EXPECT_TRUE(files::exists(path.string()));
}

// A new file (the backup) never replaces, follows or writes through what stands at its name.
TEST(WindowsFiles, CreatingANewFileNeverTouchesWhatStandsAtItsName) {
  TempFolder folder;
  write_bytes(folder / "VOZ.INI", "mine");
  const fs::path name = folder / "VOZ_backup.INI";
  write_bytes(name, "old backup");
  {
    const HeldOpen held(name, GENERIC_READ, 0);
    EXPECT_TRUE(files::entry_exists(name.string()));
    EXPECT_FALSE(files::create_new(name.string(), "new", (folder / "VOZ.INI").string()));
  }
  EXPECT_EQ(read_bytes(name), "old backup");
  fs::remove(name);
  fs::create_directory(name);
  EXPECT_FALSE(files::create_new(name.string(), "new", (folder / "VOZ.INI").string()));
  EXPECT_TRUE(fs::is_empty(name));
  EXPECT_EQ(folder.entries(), (std::vector<std::string>{"VOZ.INI", "VOZ_backup.INI"}));
  fs::remove(name);

  // The name free, the file is made, with the hidden attribute of its model.
  set_attributes(folder / "VOZ.INI", FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(files::create_new(name.string(), "new", (folder / "VOZ.INI").string()));
  EXPECT_EQ(read_bytes(name), "new");
  EXPECT_NE(attributes_of(name) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(folder.entries(), (std::vector<std::string>{"VOZ.INI", "VOZ_backup.INI"}));

#ifdef QUORVANE_UNIX_LINKS
  // Links made from the Linux side: to a file, to nothing at all, and round in a loop. Wine looks
  // through Unix links, so one that leads nowhere looks like no file at all; making the new file
  // is what must still refuse.
  const fs::path links = QUORVANE_UNIX_LINKS;
  if (!fs::exists(links / "data")) GTEST_SKIP() << "no Unix links in " << links.string();
  const std::string target = read_bytes(links / "data" / "settings.ini");
  EXPECT_TRUE(files::entry_exists((links / "emulator" / "VOZ.INI").string()));
  for (const fs::path& link : {links / "emulator" / "VOZ.INI", links / "backup" / "VOZ_backup.INI",
                               links / "loop" / "a.INI"}) {
    SCOPED_TRACE(link.string());
    EXPECT_FALSE(files::create_new(link.string(), "new", (folder / "VOZ.INI").string()));
  }
  EXPECT_EQ(read_bytes(links / "data" / "settings.ini"), target);
  EXPECT_FALSE(fs::exists(links / "nowhere"));
#endif
}

// What the access rules of a file give Everyone. Under Wine they are drawn from the Unix mode,
// so this is what the others' bits allow.
ACCESS_MASK everyone_rights(const fs::path& path) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    throw std::runtime_error("no access rules for " + path.string());
  }
  BYTE world[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof world;
  CreateWellKnownSid(WinWorldSid, nullptr, world, &size);
  ACCESS_MASK rights = 0;
  for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) continue;
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
    PSID sid = const_cast<DWORD*>(&allowed->SidStart);
    if (allowed->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && EqualSid(sid, world)) {
      rights |= allowed->Mask;
    }
  }
  LocalFree(descriptor);
  return rights;
}

// Files the Linux side made with Unix modes (the fixture, beside the links): a save and the
// backup keep them, never more open than they were. The fixture's check afterwards reads the
// exact modes, which a Windows program cannot see.
TEST(WindowsFiles, UnderWineAFileAndItsBackupAreNoMoreOpenThanTheFileWas) {
#ifndef QUORVANE_UNIX_LINKS
  GTEST_SKIP() << "needs files with Unix modes made from the Linux side (the fixture under Wine)";
#else
  const fs::path modes = fs::path(QUORVANE_UNIX_LINKS) / "modes";
  if (!fs::exists(modes / "private" / "VOZ.INI")) GTEST_SKIP() << "no files in " << modes;
  const fs::path mine = modes / "private" / "VOZ.INI";  // 0600
  ASSERT_EQ(everyone_rights(mine), 0u);
  files::remove_stale_temporaries(mine.string());
  ASSERT_TRUE(
      files::create_new((modes / "private" / "VOZ_backup.INI").string(), "backup", mine.string()));
  files::write_atomic(mine.string(), "saved");
  EXPECT_EQ(read_bytes(mine), "saved");
  EXPECT_EQ(everyone_rights(mine), 0u) << "a private file became readable by all";
  EXPECT_EQ(everyone_rights(modes / "private" / "VOZ_backup.INI"), 0u);

  const fs::path shared = modes / "shared" / "VOZ.INI";  // 0644
  const ACCESS_MASK read_only = everyone_rights(shared);
  ASSERT_NE(read_only & FILE_READ_DATA, 0u);
  files::write_atomic(shared.string(), "saved");
  EXPECT_EQ(everyone_rights(shared), read_only);

  // A read-only file is refused, and its backup is read-only too.
  const fs::path kept = modes / "readonly" / "VOZ.INI";  // 0444
  EXPECT_THROW(files::write_atomic(kept.string(), "saved"), FileError);
  ASSERT_TRUE(
      files::create_new((modes / "readonly" / "VOZ_backup.INI").string(), "backup", kept.string()));
  EXPECT_NE(attributes_of(modes / "readonly" / "VOZ_backup.INI") & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(everyone_rights(modes / "readonly" / "VOZ_backup.INI") & FILE_WRITE_DATA, 0u);
#endif
}

// Another user's file, in a folder the user may write: the rename would be allowed, the change
// is not. Run as "nobody" on a file of root's by the wine_as_nobody test, which names the file.
TEST(WindowsFiles, AFileTheUserMayNotWriteIsNeverReplaced) {
  const char* foreign = std::getenv("QUORVANE_FOREIGN_FILE");
  if (foreign == nullptr) {
    GTEST_SKIP() << "needs a file of another user's: run by the wine_as_nobody test";
  }
  const std::string before = read_bytes(foreign);
  try {
    files::write_atomic(foreign, "replaced");
    ADD_FAILURE() << "replaced another user's file";
  } catch (const FileError& error) {
    EXPECT_EQ(error.path(), foreign);
    EXPECT_FALSE(error.in_use());
    EXPECT_NE(error.reason().find("ccess"), std::string::npos) << error.what();
  }
  EXPECT_EQ(read_bytes(foreign), before);
  EXPECT_EQ(TempFolder::entries_of(fs::path(foreign).parent_path()),
            std::vector<std::string>{"VOZ.INI"});
}

// Paths of any length Windows allows: Wine gives no final path past MAX_PATH.
TEST(WindowsFiles, AFileDeepInLongFoldersIsSavedAndBackedUp) {
  TempFolder folder;
  fs::path deep = folder.path();
  while (deep.wstring().size() < 300) deep /= std::wstring(60, L'd');
  fs::create_directories(deep);
  const fs::path voz = deep / "VOZ.INI";
  ASSERT_GE(voz.wstring().size(), 264u);
  write_bytes(voz, "old");
  files::write_atomic(voz.string(), "new");
  EXPECT_EQ(read_bytes(voz), "new");
  EXPECT_TRUE(files::create_new((deep / "VOZ_backup.INI").string(), "backup", voz.string()));
  EXPECT_EQ(read_bytes(deep / "VOZ_backup.INI"), "backup");
  // (MinGW's directory listing does not reach this deep: the lock is looked for by name.)
  EXPECT_FALSE(fs::exists(deep / ".VOZ.INI.lock"));
}

// Held open by another program, the emulator say: the file is in use, which is what the user is
// told, and nothing says it changed. Closing the program lets the save through.
TEST(WindowsFiles, AFileInUseIsReportedAsInUse) {
  TempFolder folder;
  const fs::path path = folder / "VOZ.INI";
  write_bytes(path, "old");
  for (const DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_DELETE},
                            DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
    SCOPED_TRACE("shared as " + std::to_string(share));
    {
      const HeldOpen held(path, GENERIC_READ, share);
      try {
        files::write_atomic(path.string(), "new");
        ADD_FAILURE() << "replaced a file held open";
      } catch (const FileError& error) {
        EXPECT_TRUE(error.in_use()) << error.what();
        EXPECT_NE(error.reason().find("another program (the emulator, perhaps) has the file open"),
                  std::string::npos)
            << error.what();
      }
    }
    EXPECT_EQ(read_bytes(path), "old");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});
  }
  files::write_atomic(path.string(), "new");
  EXPECT_EQ(read_bytes(path), "new");
}

// What the Linux side made as VOZ.INI: a pipe, a link to a device, a link to itself. Not taken
// for a missing file (which start-up would create over it), and each named for what it is.
TEST(WindowsFiles, OddThingsStandingAsVozIniAreNamedForWhatTheyAre) {
#ifndef QUORVANE_UNIX_LINKS
  GTEST_SKIP() << "needs a pipe and links made from the Linux side (the fixture under Wine)";
#else
  const fs::path odd = fs::path(QUORVANE_UNIX_LINKS) / "odd";
  if (!fs::exists(odd / "fifo")) GTEST_SKIP() << "no odd files in " << odd;
  for (const char* kind : {"fifo", "null"}) {
    SCOPED_TRACE(kind);
    const std::string voz = (odd / kind / "VOZ.INI").string();
    EXPECT_TRUE(files::exists(voz));
    try {
      files::read_all(voz);
      ADD_FAILURE() << "read " << voz;
    } catch (const FileError& error) {
      EXPECT_EQ(error.reason(), "Not a regular file") << error.what();
    }
  }
  const std::string self = (odd / "self" / "VOZ.INI").string();
  EXPECT_TRUE(files::exists(self));
  try {
    files::write_atomic(self, "new");
    ADD_FAILURE() << "wrote " << self;
  } catch (const FileError& error) {
    EXPECT_EQ(error.reason(),
              "it is a symbolic link that leads back round to itself and never to a file");
  }
#endif
}

// Paths that the plain forms of the Windows API get wrong: longer than MAX_PATH, on a network
// share, or with characters outside the ANSI code page.

std::wstring wide(const std::string& utf8) { return files::detail::to_fs_path(utf8); }

bool present(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What a save killed part way leaves beside `ini`: the temporary file of a process now gone.
std::wstring stale_temporary_of(const std::string& folder) {
  const std::wstring path =
      wide(files::join(folder, ".VOZ.INI.tmp-w" + std::to_string(dead_pid()) + "-1"));
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
  CloseHandle(file);
  return path;
}

// Read, saved, created, found and cleaned up after, as VOZ.INI is in everyday use.
void expect_usable_settings_file(const std::string& folder) {
  const std::string ini = files::join(folder, "VOZ.INI");
  const std::string backup = files::join(folder, "VOZ_backup.INI");
  EXPECT_FALSE(files::exists(ini));
  EXPECT_FALSE(files::entry_exists(ini));
  files::write_atomic(ini, "first");
  EXPECT_TRUE(files::create_new(backup, "backup", ini));
  files::write_atomic(ini, "second");
  EXPECT_EQ(files::read_all(ini), "second");
  EXPECT_EQ(files::read_all(backup), "backup");
  EXPECT_TRUE(files::exists(ini));
  EXPECT_TRUE(files::entry_exists(backup));
  EXPECT_EQ(files::parent_folder(ini), folder);
  const std::wstring stale = stale_temporary_of(folder);
  files::remove_stale_temporaries(ini);
  EXPECT_FALSE(present(stale));
  EXPECT_TRUE(present(wide(ini))) << "the file itself stays";
}

TEST(WindowsPaths, AFolderDeeperThanMaxPathWorksLikeAnyOther) {
  TempFolder folder;
  // Made through the long form, which the test's own std::filesystem does not use.
  std::string deep = folder.path().string();
  std::vector<std::wstring> made;
  while (deep.size() < 2 * MAX_PATH) {
    deep = files::join(deep, std::string(50, 'd'));
    made.push_back(L"\\\\?\\" + std::wstring(deep.begin(), deep.end()));
    ASSERT_TRUE(CreateDirectoryW(made.back().c_str(), nullptr)) << GetLastError();
  }
  expect_usable_settings_file(deep);
  // The drive lists place it on its drive too.
  const std::vector<DriveEntry> drives = list_drives("", nullptr, "");
  const auto drive = drive_of_folder(drives, deep);
  ASSERT_TRUE(drive.has_value());
  EXPECT_EQ(drives[*drive].letter, std::tolower(static_cast<unsigned char>(deep[0])));

  for (const char* name : {"VOZ.INI", "VOZ_backup.INI"}) {
    DeleteFileW((made.back() + L"\\" + std::wstring(name, name + std::strlen(name))).c_str());
  }
  for (auto it = made.rbegin(); it != made.rend(); ++it) RemoveDirectoryW(it->c_str());
}

TEST(WindowsPaths, NamesOutsideTheAnsiCodePageAreKeptAsTheyAre) {
  TempFolder folder;
  // Greek, Japanese and a character beyond the 16-bit plane (two UTF-16 units), none of which
  // Windows-1252 has: a trip through the ANSI code page would turn them into "?".
  const std::string name = "Jeux \xce\xb6 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x8e\xae";
  const std::string emulator = files::join(folder.path().string(), name);
  ASSERT_TRUE(CreateDirectoryW(wide(emulator).c_str(), nullptr)) << GetLastError();
  expect_usable_settings_file(emulator);

  const std::wstring expected = L"Jeux \u03b6 \u65e5\u672c \U0001F3AE";
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(wide(files::join(folder.path().string(), "J*")).c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(std::wstring(found.cFileName), expected);
  FindClose(search);
  EXPECT_EQ(files::detail::from_fs_path(files::detail::to_fs_path(name)), name);
}

TEST(WindowsPaths, AShareIsTheRootOfANetworkPath) {
  EXPECT_EQ(files::parent_folder("\\\\server\\share\\Quorvane\\VOZ.INI"),
            "\\\\server\\share\\Quorvane");
  EXPECT_EQ(files::parent_folder("\\\\server\\share\\VOZ.INI"), "\\\\server\\share");
  EXPECT_EQ(files::parent_folder("\\\\server\\share"), "");
  EXPECT_EQ(files::parent_folder("\\\\server\\share\\"), "");
  EXPECT_EQ(files::parent_folder("//server/share/a/"), "//server/share");
  EXPECT_EQ(files::parent_folder("\\\\?\\UNC\\server\\share\\a"), "\\\\?\\UNC\\server\\share");
  EXPECT_EQ(files::parent_folder("\\\\?\\C:\\a"), "\\\\?\\C:\\");
  EXPECT_EQ(files::parent_folder("C:\\a\\b\\"), "C:\\a");
  EXPECT_EQ(files::parent_folder("C:\\"), "");
  EXPECT_EQ(files::parent_folder("VOZ.INI"), "");

  // A path too long for the plain form gets the long one, the share kept and the ".." and "/"
  // taken out, which the long form would take literally.
  const std::string long_name(300, 'n');
  const std::wstring long_wide(300, L'n');
  EXPECT_EQ(wide("\\\\server\\share\\x\\..\\" + long_name),
            L"\\\\?\\UNC\\server\\share\\" + long_wide);
  EXPECT_EQ(wide("C:/Games/" + long_name), L"\\\\?\\C:\\Games\\" + long_wide);
  EXPECT_EQ(wide("\\\\server\\share\\a.ini"), L"\\\\server\\share\\a.ini") << "short: as it is";

  // A path box's value below a program on a share, or from the root of the program's drive.
  EXPECT_EQ(from_emulator_path({}, "roms\\a.pce", "\\\\server\\share\\emu"),
            "\\\\server\\share\\emu\\roms\\a.pce");
  EXPECT_EQ(from_emulator_path({}, "\\Games\\a.pce", "C:\\emu"), "C:\\Games\\a.pce");
}

// Through a real share where the system has one: the administrative share of the drive the
// temporary folder is on (Windows makes it; Wine has none).
TEST(WindowsPaths, AFolderOnAShareWorksLikeAnyOther) {
  TempFolder folder;
  const std::string local = folder.path().string();
  const std::string share = "\\\\localhost\\" + local.substr(0, 1) + "$";
  if (!present(wide(share + "\\"))) GTEST_SKIP() << "no administrative share " << share;
  expect_usable_settings_file(share + local.substr(2));
}

}  // namespace
}  // namespace quorvane
