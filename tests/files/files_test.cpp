#include "files/files.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "windows_support.h"
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <system_error>

#include "files/files_detail.h"
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

// Whoever runs the editor, root included: a file without its owner's write bit stays as it is.
TEST(Files, AFileItsOwnerMayNotWriteIsNeverReplaced) {
#ifdef _WIN32
  GTEST_SKIP() << "file modes are POSIX's; on Windows the read-only attribute says it";
#else
  TempFolder folder;
  const fs::path path = folder.path() / "VOZ.INI";
  for (const fs::perms mode : {fs::perms(0444), fs::perms(0066), fs::perms(0)}) {
    write_bytes(path, "old");
    set_mode(path, mode);
    try {
      files::write_atomic(path.string(), "new");
      ADD_FAILURE() << "replaced a file of mode " << std::oct << static_cast<unsigned>(mode);
    } catch (const FileError& error) {
      EXPECT_EQ(error.path(), path.string());
      EXPECT_EQ(error.reason(), std::make_error_code(std::errc::permission_denied).message());
    }
    EXPECT_EQ(read_bytes(path), "old");
    EXPECT_EQ(mode_of(path), mode);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});
  }
  set_mode(path, 0200);  // write-only for its owner: may be replaced
  files::write_atomic(path.string(), "new");
  EXPECT_EQ(read_bytes(path), "new");
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
  EXPECT_FALSE(files::entry_exists(missing));
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
  EXPECT_TRUE(files::entry_exists(folder.str()));
}

#ifndef _WIN32
// What stands at a name, without following it: a link's kind and target, a file's bytes.
std::string describe_entry(const fs::path& path) {
  const fs::file_status status = fs::symlink_status(path);
  if (fs::is_symlink(status)) return "link to " + fs::read_symlink(path).string();
  if (fs::is_regular_file(status)) return "file " + read_bytes(path);
  return "other";
}

TEST(Files, CreatingANewFileNeverTouchesWhatStandsAtItsName) {
  TempFolder folder;
  fs::create_directory(folder / "elsewhere");
  write_bytes(folder / "elsewhere" / "target", "theirs");
  write_bytes(folder / "VOZ.INI", "mine");
  const fs::path name = folder / "VOZ_backup.INI";
  const std::vector<std::pair<const char*, std::function<void()>>> occupants = {
      {"a file", [&] { write_bytes(name, "old backup"); }},
      {"a link to a file elsewhere",
       [&] { fs::create_symlink(folder / "elsewhere" / "target", name); }},
      {"a dangling link", [&] { fs::create_symlink(folder / "elsewhere" / "nothing", name); }},
  };
  // Both ways of taking a name without replacing: the rename (Linux) and the hard link.
  for (const bool may_rename : {true, false}) {
    for (const auto& [what, occupy] : occupants) {
      SCOPED_TRACE(std::string(what) + (may_rename ? ", rename" : ", link"));
      occupy();
      const std::string before = describe_entry(name);
      EXPECT_TRUE(files::entry_exists(name.string()));
      write_bytes(folder / "temporary", "new");
      EXPECT_EQ(files::detail::place_without_replacing(folder / "temporary", name, may_rename),
                EEXIST);
      EXPECT_EQ(describe_entry(name), before);
      fs::remove(folder / "temporary");
      EXPECT_FALSE(files::create_new(name.string(), "new", (folder / "VOZ.INI").string()));
      EXPECT_EQ(describe_entry(name), before);
      EXPECT_EQ(TempFolder::entries_of(folder / "elsewhere"), std::vector<std::string>{"target"});
      EXPECT_EQ(read_bytes(folder / "elsewhere" / "target"), "theirs");
      EXPECT_EQ(folder.entries(),
                (std::vector<std::string>{"VOZ.INI", "VOZ_backup.INI", "elsewhere"}));
      fs::remove(name);
    }
    write_bytes(folder / "temporary", "new");
    EXPECT_EQ(files::detail::place_without_replacing(folder / "temporary", name, may_rename), 0);
    EXPECT_EQ(describe_entry(name), "file new");
    EXPECT_FALSE(fs::exists(folder / "temporary"));
    fs::remove(name);
  }
}

TEST(Files, ANewFileTakesThePermissionsOfItsModel) {
  TempFolder folder;
  const fs::path model = folder / "VOZ.INI";
  const fs::path name = folder / "VOZ_backup.INI";
  write_bytes(model, "settings");
  for (const fs::perms mode : {fs::perms(0600), fs::perms(0640), fs::perms(0666)}) {
    set_mode(model, mode);
    EXPECT_TRUE(files::create_new(name.string(), "settings", model.string()));
    EXPECT_EQ(mode_of(name), mode);
    EXPECT_EQ(read_bytes(name), "settings");
    fs::remove(name);
  }
  // Root making the backup of a user's file gives it to that user.
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(model.c_str(), testing::kNobody, testing::kNobody), 0);
    EXPECT_TRUE(files::create_new(name.string(), "settings", model.string()));
    struct stat status {};
    ASSERT_EQ(::lstat(name.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, testing::kNobody);
    EXPECT_EQ(status.st_gid, testing::kNobody);
    fs::remove(name);
  }
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});
}

#endif

// A file of `size` bytes that takes no room on disk.
void make_sparse(const fs::path& path, std::uintmax_t size) {
  write_bytes(path, "");
  fs::resize_file(path, size);
}

TEST(Files, AFileLargerThanTheBoundIsRefusedAtOnce) {
  TempFolder folder;
  const fs::path path = folder / "VOZ.INI";
  for (const std::uintmax_t size : {std::uintmax_t{1} << 30, files::kMaxReadBytes + 1}) {
    make_sparse(path, size);
    const auto start = std::chrono::steady_clock::now();
    try {
      files::read_all(path.string());
      ADD_FAILURE() << "read a file of " << size << " bytes";
    } catch (const FileError& error) {
      EXPECT_EQ(error.path(), path.string());
      EXPECT_NE(error.reason().find(std::to_string(size) + " bytes"), std::string::npos)
          << error.reason();
      EXPECT_NE(error.reason().find("64 MiB"), std::string::npos) << error.reason();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  }
}

// A source of `size` bytes, each 'x', handing out at most what is asked; counts what it gave.
struct Source {
  std::uintmax_t size;
  std::uintmax_t given = 0;
  long long operator()(char* buffer, std::size_t capacity, int&) {
    const std::uintmax_t left = size - given;
    const std::size_t n = left < capacity ? static_cast<std::size_t>(left) : capacity;
    std::fill(buffer, buffer + n, 'x');
    given += n;
    return static_cast<long long>(n);
  }
};

TEST(Files, ReadingTakesNoMoreThanTheBoundWhateverTheFileClaims) {
  constexpr std::uintmax_t kBound = 25000;  // more than one read's worth
  Source exact{kBound};
  EXPECT_EQ(files::detail::read_bounded("f", kBound, kBound, std::ref(exact)).size(), kBound);

  // Claims to be empty, then grows (or never ends, as a device would): cut off one byte past.
  for (const std::uintmax_t size : {kBound + 1, std::uintmax_t{1} << 40}) {
    Source growing{size};
    try {
      files::detail::read_bounded("f", 0, kBound, std::ref(growing));
      ADD_FAILURE() << "took all of a growing file";
    } catch (const FileError& error) {
      EXPECT_NE(error.reason().find("grew past 64 MiB"), std::string::npos) << error.reason();
    }
    EXPECT_EQ(growing.given, kBound + 1);
  }
}

// Where a chooser opens is found by climbing from a path box's value; the climb ends at a root.
TEST(Files, TheParentFolderIsCutFromThePathAsWritten) {
  EXPECT_EQ(files::parent_folder("/emu/roms/a.pce"), "/emu/roms");
  EXPECT_EQ(files::parent_folder("/emu//roms//"), "/emu");
  EXPECT_EQ(files::parent_folder("/emu"), "/");
  EXPECT_EQ(files::parent_folder("/"), "");
  EXPECT_EQ(files::parent_folder("emu/a.pce"), "emu");
  EXPECT_EQ(files::parent_folder("a.pce"), "");
  EXPECT_EQ(files::parent_folder(""), "");
}

TEST(Files, TheProgramsFolderComesOnlyFromAnAbsolutePath) {
#ifdef _WIN32
  EXPECT_EQ(files::program_folder("C:\\Quorvane\\quorvane-config.exe"), "C:\\Quorvane");
  EXPECT_EQ(files::program_folder("C:\\quorvane-config.exe"), "C:\\");
  EXPECT_EQ(files::program_folder("\\\\server\\share\\quorvane-config.exe"), "\\\\server\\share");
  // Relative to the working folder, or to the current drive's.
  for (const char* unknown : {"", "quorvane-config.exe", "emu\\quorvane-config.exe",
                              "C:quorvane-config.exe", "\\quorvane-config.exe"}) {
    EXPECT_EQ(files::program_folder(unknown), std::nullopt) << unknown;
  }
  const std::string self = files::executable_path();
  EXPECT_EQ(fs::path(self).filename(), "platform_test.exe");
  EXPECT_EQ(files::program_folder(self), fs::path(self).parent_path().string());
#else
  EXPECT_EQ(files::program_folder("/opt/emu/quorvane-config"), "/opt/emu");
  EXPECT_EQ(files::program_folder("/quorvane-config"), "/");
  // What a missing /proc or an empty application path leaves: nothing to go on, and never the
  // working folder.
  for (const char* unknown :
       {"", "quorvane-config", "./quorvane-config", "emu/quorvane-config", "/opt/emu/"}) {
    EXPECT_EQ(files::program_folder(unknown), std::nullopt) << unknown;
  }
  // This very test program: its own folder, wherever it was started from.
  const std::string self = files::executable_path();
  EXPECT_EQ(fs::path(self).filename(), "platform_test");
  EXPECT_EQ(files::program_folder(self), fs::path(self).parent_path().string());
  EXPECT_TRUE(fs::equivalent(self, "/proc/self/exe"));
#endif
}

// What this build puts before the process id in the name of a temporary file, and what the
// other build puts.
#ifdef _WIN32
const std::string kOwnTag = "w";
const std::string kOtherTag = "";
#else
const std::string kOwnTag = "";
const std::string kOtherTag = "w";
#endif

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
  const std::string dead = kOwnTag + std::to_string(dead_pid());
  const std::string alive = kOwnTag + std::to_string(testing::process_id());
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

// A save of another editor (of either build) is under way while this one starts: its temporary
// file is not stale, whatever its process id says to this system.
TEST(Files, NoTemporaryFileIsRemovedWhileAnotherSaveIsUnderWay) {
  TempFolder folder;
  write_bytes(folder / "VOZ.INI", "old");
  const fs::path ours = folder / (".VOZ.INI.tmp-" + kOwnTag + std::to_string(dead_pid()) + "-1");
  // The other build's process ids mean nothing here, whatever number it has.
  const fs::path theirs = folder / (".VOZ.INI.tmp-" + kOtherTag + "4-1");
  write_bytes(ours, "half written, disk slow");
  write_bytes(theirs, "half written, disk slow");
  {
    const files::SaveLock saving(folder.file("VOZ.INI"), folder.file("VOZ.INI"), true);
    files::remove_stale_temporaries(folder.file("VOZ.INI"));
    EXPECT_TRUE(fs::exists(ours));
    EXPECT_TRUE(fs::exists(theirs));
  }
  // No save under way: a dead process's file goes; the other build's only once it is older than
  // any save takes.
  files::remove_stale_temporaries(folder.file("VOZ.INI"));
  EXPECT_FALSE(fs::exists(ours));
  EXPECT_TRUE(fs::exists(theirs));
  fs::last_write_time(theirs, fs::file_time_type::clock::now() - std::chrono::minutes(5));
  files::remove_stale_temporaries(folder.file("VOZ.INI"));
  EXPECT_FALSE(fs::exists(theirs));
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});
}

// The lock a save holds keeps a second save out until it ends; the second waits, and one that
// waits in vain says who holds it. A lock whose editor is gone keeps nobody out.
TEST(Files, ASaveLockKeepsOthersOutUntilItsSaveEndsOrItsEditorIsGone) {
  TempFolder folder;
  const fs::path voz = folder / "VOZ.INI";
  const fs::path lock = files::SaveLock::path_for(voz.string());
  EXPECT_EQ(lock, folder / ".VOZ.INI.lock");
  write_bytes(voz, "old");
  {
    const files::SaveLock first(voz.string(), voz.string(), true);
    ASSERT_TRUE(first.held());
    const files::SaveLock second(voz.string(), voz.string(), true, files::SaveLock::Wait::Not);
    EXPECT_FALSE(second.held());
    EXPECT_TRUE(fs::exists(lock));
  }
  EXPECT_FALSE(fs::exists(lock));

  // Left by an editor of this system that was killed: cleared at once.
  const std::string host = files::detail::host_name();
#ifdef _WIN32
  const std::string system = "windows";
#else
  const std::string system = "posix";
#endif
  const auto lock_of = [&](const std::string& sys, unsigned long pid, long long age) {
    const long long now = std::chrono::duration_cast<std::chrono::seconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
    return "quorvane-config save lock\nsystem=" + sys + "\nhost=" + host +
           "\npid=" + std::to_string(pid) + "\ntime=" + std::to_string(now - age) + "\n";
  };
  write_bytes(lock, lock_of(system, dead_pid(), 0));
  files::write_atomic(voz.string(), "new");
  EXPECT_EQ(read_bytes(voz), "new");
  EXPECT_FALSE(fs::exists(lock));

  // The other build's: its process cannot be looked at from here, so only its age clears it.
  const std::string other = system == "posix" ? "windows" : "posix";
  write_bytes(lock, lock_of(other, 4, 0));
  {
    const files::SaveLock blocked(voz.string(), voz.string(), true, files::SaveLock::Wait::Not);
    EXPECT_FALSE(blocked.held());
  }
  write_bytes(lock, lock_of(other, 4, files::kStaleLockAge.count() + 5));
  files::write_atomic(voz.string(), "newer");
  EXPECT_EQ(read_bytes(voz), "newer");

  // A live editor's lock that never goes: the save gives up after a while, names who holds the
  // file and writes nothing.
  write_bytes(lock, lock_of(system, testing::process_id(), 0));
  const auto started = std::chrono::steady_clock::now();
  try {
    // This process's own id stands for a live editor here: the lock is not this save's.
    files::write_atomic(voz.string(), "lost?");
    ADD_FAILURE() << "saved past a live lock";
  } catch (const FileError& error) {
    EXPECT_EQ(error.path(), voz.string());
    EXPECT_NE(error.reason().find("is saving it at this moment"), std::string::npos)
        << error.what();
    EXPECT_NE(error.reason().find("process " + std::to_string(testing::process_id())),
              std::string::npos)
        << error.what();
  }
  EXPECT_GE(std::chrono::steady_clock::now() - started, files::kSaveWait);
  EXPECT_EQ(read_bytes(voz), "newer");
  fs::remove(lock);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});
}

#ifndef _WIN32
// Root runs the editor in a folder that another user may write: a link planted there must not
// make root's save overwrite a file of root's elsewhere.
TEST(Files, ALinkOfAnotherUserIsNeverWrittenThrough) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root, to give the link another owner";
  TempFolder folder;
  const fs::path secret = folder / "secret";
  write_bytes(secret, "root's");
  set_mode(secret, 0600);
  const fs::path voz = folder / "VOZ.INI";
  fs::create_symlink(secret, voz);
  ASSERT_EQ(::lchown(voz.c_str(), testing::kNobody, testing::kNobody), 0);
  try {
    files::write_atomic(voz.string(), "overwritten");
    ADD_FAILURE() << "wrote through another user's link";
  } catch (const FileError& error) {
    EXPECT_EQ(error.path(), voz.string());
    EXPECT_NE(error.reason().find("\"" + voz.string() +
                                  "\" is a symbolic link that belongs to "
                                  "user \"nobody\""),
              std::string::npos)
        << error.what();
  }
  EXPECT_EQ(read_bytes(secret), "root's");
  EXPECT_TRUE(fs::is_symlink(voz));
  EXPECT_EQ(folder.entries(), (std::vector<std::string>{"VOZ.INI", "secret"}));

  // Root's own link is written through, as ever.
  ASSERT_EQ(::lchown(voz.c_str(), 0, 0), 0);
  files::write_atomic(voz.string(), "saved");
  EXPECT_EQ(read_bytes(secret), "saved");
}

// What a failed save says points at the real cause: the link's missing folder, a loop of links,
// a shared folder that lets only a file's owner replace it.
TEST(Files, ARefusedSaveNamesItsRealCause) {
  TempFolder folder;
  const fs::path voz = folder / "VOZ.INI";
  const auto reason_of = [&](const std::function<void()>& save) {
    try {
      save();
    } catch (const FileError& error) {
      EXPECT_EQ(error.path(), voz.string());
      return error.reason();
    }
    return std::string("saved");
  };
  const auto save = [&] { files::write_atomic(voz.string(), "new"); };

  fs::create_symlink(folder / "gone" / "VOZ.INI", voz);
  EXPECT_EQ(reason_of(save), "it is a symbolic link to \"" +
                                 (folder / "gone" / "VOZ.INI").string() +
                                 "\", and the folder that link leads into, \"" +
                                 (folder / "gone").string() + "\", does not exist");
  fs::remove(voz);
  fs::create_symlink("VOZ.INI", voz);
  EXPECT_EQ(reason_of(save),
            "it is a symbolic link that leads back round to itself and never "
            "to a file");
  fs::remove(voz);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{});

  // nobody, in a folder open to all with its sticky bit set, on root's file that all may write.
  if (::geteuid() != 0) return;
  write_bytes(voz, "root's");
  set_mode(voz, 0666);
  set_mode(folder.path(), 01777);
  const int outcome = testing::run_unprivileged([&] {
    const std::string reason = reason_of(save);
    return reason.find("Operation not permitted: the folder \"" + folder.str() +
                       "\" is shared (its sticky bit is set), so only the file's owner may "
                       "replace it, and the file belongs to user \"root\"") == 0
               ? int{testing::kRefused}
               : int{testing::kWrongError};
  });
  EXPECT_EQ(outcome, testing::kRefused);
  EXPECT_EQ(read_bytes(voz), "root's");
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});
}
#endif

}  // namespace
}  // namespace quorvane
