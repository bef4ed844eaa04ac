// What saving means on Windows, where files carry attributes, other programs hold them open with
// sharing rules, and (under Wine) a VOZ.INI may be a Unix symbolic link.

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/drives.h"
#include "platform/files.h"
#include "platform/files_detail.h"
#include "test_support.h"
#include "windows_support.h"

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
      links / "data" / (".settings.ini.tmp-" + std::to_string(testing::dead_pid()) + "-1");
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

// Paths that the plain forms of the Windows API get wrong: longer than MAX_PATH, on a network
// share, or with characters outside the ANSI code page.

std::wstring wide(const std::string& utf8) { return files::detail::to_fs_path(utf8); }

bool present(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What a save killed part way leaves beside `ini`: the temporary file of a process now gone.
std::wstring stale_temporary_of(const std::string& folder) {
  const std::wstring path =
      wide(files::join(folder, ".VOZ.INI.tmp-" + std::to_string(dead_pid()) + "-1"));
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
