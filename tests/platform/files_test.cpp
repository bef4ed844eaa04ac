#include "platform/files.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "windows_support.h"
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <set>
#include <string>
#include <system_error>

#include "test_support.h"

using namespace std::string_literals;

namespace quorvane {
namespace {

using testing::read_bytes;
#ifndef _WIN32
using testing::mode_of;
using testing::set_mode;
#endif
using testing::TempFolder;
using testing::write_bytes;
namespace fs = std::filesystem;

TEST(Files, SavingThroughALinkReplacesItsTargetAndKeepsTheLink) {
#ifdef _WIN32
  GTEST_SKIP() << "MinGW's std::filesystem cannot make symbolic links; the Windows counterpart "
                  "saves through Unix links made from the Linux side";
#else
  TempFolder folder;
  fs::create_directory(folder.path() / "data");
  fs::create_directory(folder.path() / "emulator");
  const fs::path target = folder.path() / "data" / "settings.ini";
  const fs::path link = folder.path() / "emulator" / "VOZ.INI";
  const fs::path chained = folder.path() / "emulator" / "chained.INI";
  write_bytes(target, "old");
  fs::create_symlink(fs::path("..") / "data" / "settings.ini", link);  // relative to its folder
  fs::create_symlink(link, chained);                                   // absolute, to a link

  files::write_atomic(link.string(), "new");
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
  EXPECT_EQ(read_bytes(target), "new");

  files::write_atomic(chained.string(), "newer");
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(chained)));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
  EXPECT_EQ(read_bytes(target), "newer");

  EXPECT_EQ(TempFolder::entries_of(folder.path() / "data"),
            std::vector<std::string>{"settings.ini"});
  EXPECT_EQ(TempFolder::entries_of(folder.path() / "emulator"),
            (std::vector<std::string>{"VOZ.INI", "chained.INI"}));
#endif
}

TEST(Files, SavingKeepsTheFilesPermissions) {
#ifdef _WIN32
  GTEST_SKIP() << "file modes are POSIX's; the Windows counterpart keeps the file's attributes";
#else
  TempFolder folder;
  const fs::path path = folder.path() / "VOZ.INI";
  for (const fs::perms mode : {fs::perms(0640), fs::perms(0604), fs::perms(0600)}) {
    write_bytes(path, "old");
    set_mode(path, mode);
    files::write_atomic(path.string(), "new");
    EXPECT_EQ(mode_of(path), mode);
    EXPECT_EQ(read_bytes(path), "new");
  }
#endif
}

TEST(Files, SavingReplacesTheWholeFile) {
  TempFolder folder;
  const fs::path path = folder.path() / "VOZ.INI";
  write_bytes(path, std::string(20000, 'x'));
  const std::string bytes = "short\r\n\0with a zero byte"s;
  files::write_atomic(path.string(), bytes);
  EXPECT_EQ(read_bytes(path), bytes);
  EXPECT_EQ(files::read_all(path.string()), bytes);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});
}

TEST(Files, ReadingReportsThePathAndReason) {
  TempFolder folder;
  const std::string missing = folder.file("VOZ.INI");
  EXPECT_FALSE(files::exists(missing));
  EXPECT_FALSE(files::can_open_for_reading(missing));
  try {
    files::read_all(missing);
    ADD_FAILURE() << "read a missing file";
  } catch (const FileError& error) {
    EXPECT_EQ(error.path(), missing);
    EXPECT_FALSE(error.reason().empty());
    EXPECT_NE(std::string(error.what()).find(missing), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find(error.reason()), std::string::npos) << error.what();
#ifndef _WIN32
    EXPECT_EQ(error.reason(), std::make_error_code(std::errc::no_such_file_or_directory).message());
#endif
  }
  EXPECT_TRUE(files::exists(folder.str()));
  EXPECT_FALSE(files::can_open_for_reading(folder.str()));
}

#ifndef _WIN32
// The pid of a process that has come and gone.
unsigned long dead_pid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return static_cast<unsigned long>(child);
}
#else
using testing::dead_pid;
#endif

TEST(Files, LeftoversOfDeadSavesGoAndNothingElseDoes) {
  TempFolder folder;
  const std::string dead = std::to_string(dead_pid());
  const std::string alive = std::to_string(testing::process_id());
  const std::set<std::string> kept = {
      "VOZ.INI",
      ".VOZ.INI.tmp-" + alive + "-1",           // a save under way in a running editor
      ".VOZ.INI.tmp-" + dead + "-x",            // not a name we make
      ".VOZ.INI.tmp--1",                        // no pid
      "VOZ.INI.tmp-" + dead + "-1",             // no leading dot
      ".OTHER.INI.tmp-" + dead + "-1",          // another file's
      ".VOZ.INI.tmp-" + dead + "-2-notes.txt",  // the user's
  };
  for (const std::string& name : kept) write_bytes(folder.path() / name, "x");
  write_bytes(folder.path() / (".VOZ.INI.tmp-" + dead + "-1"), "half a file");
  write_bytes(folder.path() / (".VOZ.INI.tmp-" + dead + "-27"), "");
  fs::create_directory(folder.path() / (".VOZ.INI.tmp-" + dead + "-3"));

  files::remove_stale_temporaries(folder.file("VOZ.INI"));

  std::set<std::string> left;
  for (const std::string& name : folder.entries()) left.insert(name);
  std::set<std::string> expected = kept;
  expected.insert(".VOZ.INI.tmp-" + dead + "-3");  // a folder is never ours to remove
  EXPECT_EQ(left, expected);
}

}  // namespace
}  // namespace quorvane
