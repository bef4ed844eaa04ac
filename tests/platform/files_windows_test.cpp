// What saving means on Windows, where files carry attributes, other programs hold them open with
// sharing rules, and (under Wine) a VOZ.INI may be a Unix symbolic link.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "test_support.h"
#include "windows_support.h"

namespace quorvane {
namespace {

using testing::attributes_of;
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

}  // namespace
}  // namespace quorvane
