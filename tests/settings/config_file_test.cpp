#include "settings/config_file.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <string>

#include "platform/files.h"
#include "settings/settings_table.h"
#include "settings/text_encoding.h"
#include "settings_table_printer.h"
#include "test_support.h"
#include "utf16.h"

namespace quorvane {
namespace {

using testing::default_file;
using testing::kRefused;
using testing::kSucceeded;
using testing::kWrongError;
using testing::read_bytes;
using testing::run_unprivileged;
using testing::with_line;
#ifndef _WIN32
using testing::run_with_file_size_limit;
#endif
using testing::set_mode;
using testing::TempFolder;
using testing::write_bytes;
namespace fs = std::filesystem;

// Every setting row gets a value of its own, so a value on the wrong row shows.
SettingsTable distinct_table() {
  SettingsTable table;
  for (Row row : kAllRows) {
    if (!SettingsTable::is_section_row(row))
      table.set_value(row, "v" + std::to_string(number(row)) + " ");
  }
  table.set_value(row::sound_interpolation, "y");
  table.set_value(row::tv_interpolation, "n");
  table.set_value(row::system_card_1, "xxx");
  table.set_value(row::config_path, "C:\\emu=\xB5");
  table.set_value(row::frame_delay, "");
  return table;
}

TEST(ConfigFile, PathsAreFormedInTheGivenFolder) {
  const std::string sep(1, files::separator());
  EXPECT_EQ(ConfigFile("dir").cfg_path(), "dir" + sep + "VOZ.INI");
  EXPECT_EQ(ConfigFile("dir" + sep).cfg_path(), "dir" + sep + "VOZ.INI");
  EXPECT_EQ(ConfigFile("dir").backup_path(), "dir" + sep + "VOZ_backup.INI");
  // A drive root already ends in its separator.
  EXPECT_EQ(ConfigFile("C:" + sep).cfg_path(), "C:" + sep + "VOZ.INI");
}

TEST(ConfigFile, MissingFileIsCreatedFromTheDefaultsAndBackedUp) {
  TempFolder folder;
  ConfigFile config(folder.str());
  SettingsTable table;
  const ReadOutcome outcome = config.read_config(table);

  EXPECT_TRUE(outcome.created_default);
  EXPECT_FALSE(outcome.backup_error.has_value());
  EXPECT_EQ(table, SettingsTable{});
  EXPECT_EQ(read_bytes(config.cfg_path()), default_file());
  EXPECT_EQ(read_bytes(config.backup_path()), default_file());
  EXPECT_EQ(folder.entries(), (std::vector<std::string>{"VOZ.INI", "VOZ_backup.INI"}));
}

TEST(ConfigFile, WrittenFileReadsBackToTheSameValues) {
  TempFolder folder;
  const SettingsTable written = distinct_table();
  ConfigFile(folder.str()).write_config(written);

  SettingsTable read;
  const ReadOutcome outcome = ConfigFile(folder.str()).read_config(read);
  EXPECT_FALSE(outcome.created_default);
  EXPECT_EQ(read, written);
  EXPECT_EQ(read.value(row::sound_interpolation), "y");
  EXPECT_EQ(read.value(row::tv_interpolation), "n");
}

TEST(ConfigFile, BackupIsMadeOnceAndNeverRefreshed) {
  TempFolder folder;
  ConfigFile config(folder.str());
  const std::string first = "\r\n[sound]\r\nsound=n\r\n";
  write_bytes(config.cfg_path(), first);

  SettingsTable table;
  EXPECT_FALSE(config.read_config(table).backup_error.has_value());
  EXPECT_EQ(table.value(row::sound), "n");
  EXPECT_EQ(read_bytes(config.backup_path()), first);

  config.write_config(distinct_table());
  SettingsTable again;
  config.read_config(again);
  EXPECT_EQ(again, distinct_table());
  EXPECT_EQ(read_bytes(config.backup_path()), first);
}

TEST(ConfigFile, EmptyFileKeepsTheDefaultsAndIsWhatTheBackupCopies) {
  TempFolder folder;
  ConfigFile config(folder.str());
  write_bytes(config.cfg_path(), "");
  SettingsTable table;
  const ReadOutcome outcome = config.read_config(table);
  EXPECT_FALSE(outcome.created_default);
  EXPECT_EQ(table, SettingsTable{});
  EXPECT_EQ(read_bytes(config.cfg_path()), "");
  EXPECT_TRUE(fs::exists(config.backup_path()));
  EXPECT_EQ(read_bytes(config.backup_path()), "");
}

TEST(ConfigFile, ValueWithALineBreakIsRefusedAndNothingIsWritten) {
  TempFolder folder;
  ConfigFile config(folder.str());
  write_bytes(config.cfg_path(), "old");
  for (const char* forged : {"C:\\\r\n[sound]\r\nsound=n", "a\nb", "a\rb"}) {
    SettingsTable table;
    table.set_value(row::config_path, forged);
    try {
      config.write_config(table);
      ADD_FAILURE() << "a value with a line break was written";
    } catch (const FileError& error) {
      EXPECT_NE(std::string(error.what()).find("config"), std::string::npos) << error.what();
      EXPECT_EQ(error.path(), config.cfg_path());
    }
    EXPECT_EQ(read_bytes(config.cfg_path()), "old");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});
  }
}

TEST(ConfigFile, FolderStandingWhereTheFileShouldBeFailsCleanly) {
  TempFolder folder;
  ConfigFile config(folder.str());
  fs::create_directory(config.cfg_path());
  write_bytes(fs::path(config.cfg_path()) / "inside", "kept");

  SettingsTable table;
  try {
    config.read_config(table);
    ADD_FAILURE() << "read a folder as VOZ.INI";
  } catch (const FileError& error) {
    EXPECT_EQ(error.path(), config.cfg_path());
    EXPECT_FALSE(error.reason().empty());
  }
  EXPECT_THROW(config.write_config(table), FileError);

  EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});
  EXPECT_TRUE(fs::is_directory(config.cfg_path()));
  EXPECT_EQ(read_bytes(fs::path(config.cfg_path()) / "inside"), "kept");
}

// What a save that must fail reports, from wherever it ran: kRefused when the error names
// `blamed` (the file, or the folder that cannot take a new file), by default VOZ.INI.
int save_outcome(ConfigFile& config, const std::string& blamed = "") {
  try {
    config.write_config(distinct_table());
    return kSucceeded;
  } catch (const FileError& error) {
    const std::string& named = blamed.empty() ? config.cfg_path() : blamed;
    return error.path() == named && !error.reason().empty() ? kRefused : kWrongError;
  }
}

TEST(ConfigFile, AReadOnlyFileIsNotReplaced) {
  TempFolder folder;
  ConfigFile config(folder.str());
  const std::string old = default_file() + "extra=1\r\n";
  write_bytes(config.cfg_path(), old);
  const auto refuses = [&] { return save_outcome(config); };

  // A folder open to everyone lets a rename replace the file, but the file says it must not
  // change (on Windows this mode is the read-only attribute).
  set_mode(folder.path(), fs::perms(0777));
  set_mode(config.cfg_path(), fs::perms(0444));
  EXPECT_EQ(run_unprivileged(refuses), kRefused);
  EXPECT_EQ(read_bytes(config.cfg_path()), old);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});

  // Writable again, the save goes through: the refusal came from the file's mode and not from
  // something else in the way.
  set_mode(config.cfg_path(), fs::perms(0666));
  EXPECT_EQ(run_unprivileged(refuses), kSucceeded);
  EXPECT_EQ(read_bytes(config.cfg_path()), build_config_text(distinct_table()));
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});
}

TEST(ConfigFile, AReadOnlyFolderLeavesTheOldFileAsItWas) {
#ifdef _WIN32
  GTEST_SKIP() << "a folder's read-only attribute does not stop files being made in it on Windows";
#else
  TempFolder folder;
  ConfigFile config(folder.str());
  const std::string old = default_file() + "extra=1\r\n";
  write_bytes(config.cfg_path(), old);
  set_mode(config.cfg_path(), fs::perms(0666));
  set_mode(folder.path(), fs::perms(0555));
  // VOZ.INI may be written; the folder is what refuses, and what the error names.
  EXPECT_EQ(run_unprivileged([&] { return save_outcome(config, folder.str()); }), kRefused);
  EXPECT_EQ(read_bytes(config.cfg_path()), old);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});

  set_mode(folder.path(), fs::perms(0777));
  EXPECT_EQ(run_unprivileged([&] { return save_outcome(config); }), kSucceeded);
#endif
}

TEST(ConfigFile, SaveCutShortByAFullDiskLeavesTheOldFileAndNoTemporaryFile) {
#ifdef _WIN32
  GTEST_SKIP() << "needs setrlimit(RLIMIT_FSIZE) to fill the disk part way, which is POSIX's";
#else
  TempFolder folder;
  ConfigFile config(folder.str());
  const std::string old = "\r\n[sound]\r\nsound=n\r\n";
  write_bytes(config.cfg_path(), old);
  const int result = run_with_file_size_limit(4096, [&] {
    try {
      config.write_config(SettingsTable{});
      return int{kSucceeded};
    } catch (const FileError& error) {
      return error.path() == config.cfg_path() && !error.reason().empty() ? int{kRefused}
                                                                          : int{kWrongError};
    }
  });
  EXPECT_EQ(result, kRefused);
  EXPECT_EQ(read_bytes(config.cfg_path()), old);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});
#endif
}

TEST(ConfigFile, StartInAFolderThatCannotBeWrittenReportsThePathAndCreatesNothing) {
#ifdef _WIN32
  GTEST_SKIP() << "needs a folder that refuses new files: folder modes and an unprivileged user "
                  "are POSIX's, and Wine does not enforce Windows access rules";
#else
  TempFolder folder;
  ConfigFile config(folder.str());
  set_mode(folder.path(), fs::perms(0555));
  const int result = run_unprivileged([&] {
    SettingsTable table;
    try {
      config.read_config(table);
      return int{kSucceeded};
    } catch (const FileError& error) {
      return error.path() == config.cfg_path() && !error.reason().empty() ? int{kRefused}
                                                                          : int{kWrongError};
    }
  });
  EXPECT_EQ(result, kRefused);
  EXPECT_TRUE(folder.entries().empty());
#endif
}

TEST(ConfigFile, BackupInAReadOnlyFolderIsReportedAndTheValuesAreStillRead) {
#ifdef _WIN32
  GTEST_SKIP() << "needs a folder that refuses new files: folder modes and an unprivileged user "
                  "are POSIX's, and Wine does not enforce Windows access rules";
#else
  TempFolder folder;
  ConfigFile config(folder.str());
  write_bytes(config.cfg_path(), "[sound]\nsound=n\n");
  set_mode(folder.path(), fs::perms(0555));
  const int result = run_unprivileged([&] {
    SettingsTable table;
    const ReadOutcome outcome = config.read_config(table);
    const bool reported =
        outcome.backup_error && outcome.backup_error->path() == config.backup_path();
    return reported && table.value(row::sound) == "n" ? int{kRefused} : int{kWrongError};
  });
  EXPECT_EQ(result, kRefused);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});
#endif
}

// Whatever stands at the backup's name is the backup, a folder too: nothing is tried, nothing
// reported, and the values are read.
TEST(ConfigFile, AFolderWhereTheBackupGoesIsTheBackupAndIsLeftAlone) {
  TempFolder folder;
  ConfigFile config(folder.str());
  write_bytes(config.cfg_path(), "[sound]\nsound=n\n");
  fs::create_directory(config.backup_path());
  SettingsTable table;
  const ReadOutcome outcome = config.read_config(table);
  EXPECT_FALSE(outcome.backup_error.has_value());
  EXPECT_EQ(table.value(row::sound), "n");
  EXPECT_TRUE(fs::is_directory(config.backup_path()));
  EXPECT_TRUE(fs::is_empty(config.backup_path()));
  EXPECT_EQ(folder.entries(), (std::vector<std::string>{"VOZ.INI", "VOZ_backup.INI"}));
}

// A private settings file never gets a backup that others may read, whatever the umask says.
TEST(ConfigFile, TheBackupHasThePermissionsOfVozIni) {
#ifdef _WIN32
  GTEST_SKIP() << "file modes are POSIX's; on Windows the backup takes VOZ.INI's access rules";
#else
  const mode_t umask_before = ::umask(0);
  for (const fs::perms mode : {fs::perms(0600), fs::perms(0644), fs::perms(0664)}) {
    TempFolder folder;
    ConfigFile config(folder.str());
    write_bytes(config.cfg_path(), "[sound]\r\nsound=n\r\n");
    set_mode(config.cfg_path(), mode);
    SettingsTable table;
    EXPECT_FALSE(config.read_config(table).backup_error.has_value());
    EXPECT_EQ(testing::mode_of(config.backup_path()), mode);
    EXPECT_EQ(read_bytes(config.backup_path()), "[sound]\r\nsound=n\r\n");
  }
  ::umask(umask_before);
#endif
}

// Notepad's "Unicode": the settings are read, the backup keeps the file as it was, and the save
// writes the emulator's Windows-1252.
TEST(ConfigFile, Utf16FilesKeepTheirSettingsAndAreSavedAsWindows1252) {
  // The same file as Windows-1252 bytes: what the save writes.
  std::string cp1252 = default_file();
  cp1252.replace(cp1252.find("vsync=n"), 7, "vsync=y");
  cp1252.replace(cp1252.find("\r\nconfig="), 9, "\r\nconfig=C:\\Jeux \xE9t\xE9 \x80");
  // Some editors save it without the byte-order mark; read as bytes, its zeros would hide every
  // setting, and the save would write the defaults over them.
  for (const bool marked : {true, false})
    for (const bool big_endian : {false, true}) {
      SCOPED_TRACE(big_endian ? "big-endian" : "little-endian");
      SCOPED_TRACE(marked ? "with a byte-order mark" : "without a byte-order mark");
      TempFolder folder;
      ConfigFile config(folder.str());
      std::u16string text = testing::widen(default_file());
      text.replace(text.find(u"vsync=n"), 7, u"vsync=y");
      text.replace(text.find(u"\r\nconfig="), 9, u"\r\nconfig=C:\\Jeux \u00e9t\u00e9 \u20ac");
      const std::string file = testing::utf16_file(text, big_endian).substr(marked ? 0 : 2);
      write_bytes(config.cfg_path(), file);

      SettingsTable table;
      config.read_config(table);
      EXPECT_EQ(table.value(row::vsync), "y");
      EXPECT_EQ(table.value(row::config_path), "C:\\Jeux \xE9t\xE9 \x80");
      EXPECT_EQ(read_bytes(config.backup_path()), file);
      config.write_config(table);
      EXPECT_EQ(read_bytes(config.cfg_path()), cp1252);
    }
}

TEST(ConfigFile, AUtf16CharacterWindows1252CannotHoldStopsTheStartNamingFileAndLine) {
  TempFolder folder;
  ConfigFile config(folder.str());
  const std::string file =
      testing::utf16_file(u"\r\n[path]\r\nconfig=C:\\\u30b2\u30fc\u30e0\r\n", false);
  write_bytes(config.cfg_path(), file);
  SettingsTable table;
  try {
    config.read_config(table);
    ADD_FAILURE() << "read a character that Windows-1252 cannot hold";
  } catch (const FileError& error) {
    EXPECT_EQ(error.path(), config.cfg_path());
    EXPECT_EQ(error.reason(),
              "it is UTF-16 text, and line 3 holds the character \"\u30b2\" (U+30B2), which "
              "Windows-1252 cannot hold");
  }
  EXPECT_EQ(table, SettingsTable{});
  EXPECT_EQ(read_bytes(config.cfg_path()), file);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});
}

TEST(ConfigFile, Utf16WithoutAMarkIsToldFromWindows1252) {
  // Broken UTF-16 stops the start with the line, as the marked kind does.
  TempFolder folder;
  ConfigFile config(folder.str());
  const std::string broken = testing::utf16_file(u"[video]\r\nvsync=\xD800y\r\n", false).substr(2);
  write_bytes(config.cfg_path(), broken);
  SettingsTable table;
  try {
    config.read_config(table);
    ADD_FAILURE() << "read broken UTF-16";
  } catch (const FileError& error) {
    EXPECT_EQ(error.reason().rfind("it is UTF-16 text without a byte-order mark, and line 2 ", 0),
              0u)
        << error.what();
  }
  EXPECT_EQ(read_bytes(config.cfg_path()), broken);

  // Windows-1252 text is never taken for it, even a short one.
  for (const std::string_view cp1252 : {"[video]\r\nvsync=y\r\n", "ab", "\xE9t\xE9"}) {
    EXPECT_EQ(unmarked_utf16_order(cp1252), Utf16Order::kNone) << cp1252;
  }
}

// A Windows disk makes no difference between VOZ.INI and voz.ini, nor does the emulator under
// Wine: the file that is there is the one read and saved, and no second one is made beside it.
TEST(ConfigFile, AFileNamedInAnotherCaseIsTheSettingsFile) {
  TempFolder folder;
  const std::string theirs = with_line(default_file(), "vsync=n", "vsync=y");
  folder.write("voz.ini", theirs);
  folder.write("Voz_Backup.ini", "an old backup");
  ConfigFile config(folder.str());
  SettingsTable table;
  config.read_config(table);
#ifndef _WIN32
  EXPECT_EQ(config.cfg_path(), folder.file("voz.ini"));  // Windows finds it under either name
#endif
  EXPECT_EQ(table.value(row::vsync), "y");
  table.set_value(row::gamma, "4");
  config.write_config(table);
  EXPECT_EQ(folder.read("voz.ini"), with_line(theirs, "gamma=1", "gamma=4"));
  EXPECT_EQ(folder.read("Voz_Backup.ini"), "an old backup");
  EXPECT_EQ(folder.entries(), (std::vector<std::string>{"Voz_Backup.ini", "voz.ini"}));

  // The exact name comes first when both are there, as it does on Windows.
  folder.write("VOZ.INI", default_file());
  SettingsTable exact;
  ConfigFile(folder.str()).read_config(exact);
  EXPECT_EQ(exact.value(row::vsync), "n");
}

}  // namespace
}  // namespace quorvane
