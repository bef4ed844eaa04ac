#include "files/drives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include "windows_support.h"
#else
#include "test_support.h"
#endif

namespace quorvane {
namespace {

namespace fs = std::filesystem;

std::vector<char> letters(const std::vector<DriveEntry>& drives) {
  std::vector<char> out;
  for (const DriveEntry& d : drives) out.push_back(d.letter);
  return out;
}

#ifdef _WIN32

std::vector<char> logical_drive_letters() {
  std::vector<char> out;
  const DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (mask & (DWORD{1} << i)) out.push_back(static_cast<char>('a' + i));
  }
  return out;
}

TEST(ListDrives, AreTheLogicalDrivesEachWithItsRoot) {
  const auto drives = list_drives("C:\\anywhere", nullptr, "");
  ASSERT_FALSE(drives.empty()) << "no drive at all";
  EXPECT_EQ(letters(drives), logical_drive_letters());
  for (const DriveEntry& d : drives) {
    SCOPED_TRACE(d.text);
    EXPECT_EQ(d.target, std::string(1, static_cast<char>(d.letter - 'a' + 'A')) + ":\\");
    EXPECT_EQ(d.text.substr(0, 2), std::string(1, d.letter) + ":");
  }
}

TEST(DriveOfFolder, IsTheDriveTheFolderIsOn) {
  const auto drives = list_drives("", nullptr, "");
  const auto letter_of = [&](const std::string& folder) -> char {
    const auto index = drive_of_folder(drives, folder);
    return index ? drives[*index].letter : '-';
  };
  // The temporary folder and the folder the test runs in (under Wine, on C: and Z:).
  for (const fs::path& folder : {fs::temp_directory_path(), fs::current_path()}) {
    const std::string path = folder.string();
    SCOPED_TRACE(path);
    ASSERT_GE(path.size(), 3u);
    const char own = static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
    EXPECT_EQ(letter_of(path), own);
    // Windows paths ignore case and take either slash.
    std::string other = path;
    other[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    std::replace(other.begin(), other.end(), '\\', '/');
    EXPECT_EQ(letter_of(other), own);
    EXPECT_EQ(letter_of(path.substr(0, 3)), own) << "the drive's root";
  }
  // A letter that is no drive here.
  const std::vector<char> present = logical_drive_letters();
  for (char c = 'y'; c > 'd'; --c) {
    if (std::find(present.begin(), present.end(), c) != present.end()) continue;
    EXPECT_EQ(letter_of(std::string(1, c) + ":\\emu"), '-');
    break;
  }
}

#else

// A scratch folder in which tests build Wine prefixes from real folders and symbolic links.
class Scratch {
 public:
  fs::path path(const std::string& relative) const { return root_ / relative; }

  // A prefix with drive_c and the given "name -> target" links in dosdevices.
  fs::path prefix(const std::string& relative,
                  const std::vector<std::pair<std::string, std::string> >& links) const {
    const fs::path p = path(relative);
    fs::create_directories(p / "drive_c");
    fs::create_directories(p / "dosdevices");
    for (const auto& [name, target] : links) fs::create_symlink(target, p / "dosdevices" / name);
    return p;
  }

 private:
  testing::TempFolder folder_;
  fs::path root_ = fs::canonical(folder_.path());
};

TEST(ListDrives, UsesThePrefixAroundTheProgramSortedAndWithoutDeviceEntries) {
  Scratch s;
  const fs::path prefix = s.prefix("emu/.wine", {{"z:", "/"},
                                                 {"c:", "../drive_c"},
                                                 {"d::", "/dev/sr0"},
                                                 {"com1", "/dev/ttyS0"},
                                                 {"E:", "/media/cdrom-not-mounted"}});
  const fs::path program = prefix / "drive_c" / "Games" / "Quorvane";
  fs::create_directories(program);
  // Another prefix in the environment must not win over the one the program sits in.
  const fs::path other = s.prefix("other", {{"q:", "/tmp"}});

  const auto drives = list_drives(program.string(), other.c_str(), s.path("home").string());

  ASSERT_EQ(letters(drives), (std::vector<char>{'c', 'e', 'z'}));
  EXPECT_EQ(drives[0].target, (prefix / "drive_c").string());
  EXPECT_EQ(drives[0].text, "c: [Local Disk]");
  EXPECT_EQ(drives[1].target, "/media/cdrom-not-mounted") << "a dangling link is still a drive";
  EXPECT_EQ(drives[1].text.front(), 'e');
  EXPECT_EQ(drives[2].text, "z: [Local Disk]");
}

TEST(ListDrives, ShowEachDriveByTheKindWinesDriveSettingsGiveIt) {
  Scratch s;
  const fs::path prefix = s.prefix("p", {{"c:", "../drive_c"},
                                         {"d:", "/media/cd"},
                                         {"e:", "/mnt/share"},
                                         {"f:", "/mnt/usb"},
                                         {"g:", "/mnt/odd"},
                                         {"z:", "/"}});
  // As Wine writes the file: CR LF nowhere, doubled backslashes, a time stamp after the key, the
  // same letters under another key before it, and any case in the values.
  std::ofstream(prefix / "system.reg", std::ios::binary)
      << "WINE REGISTRY Version 2\n\n"
         "[Software\\\\Other\\\\Drives] 1700000000\n\"d:\"=\"network\"\n\n"
         "[Software\\\\Wine\\\\Drives] 1700000000\n#time=1da2\n"
         "\"d:\"=\"cdrom\"\n\"e:\"=\"network\"\n\"F:\"=\"Floppy\"\n\"g:\"=\"tape\"\n\n"
         "[Software\\\\Wine\\\\Fonts] 1700000000\n\"z:\"=\"cdrom\"\n";
  const auto drives = list_drives((prefix / "drive_c").string(), nullptr, "");
  std::vector<std::string> texts;
  for (const DriveEntry& d : drives) texts.push_back(d.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"c: [Local Disk]", "d: [CD-ROM]", "e: [Network]",
                                             "f: [Removable]", "g: [Unknown]", "z: [Local Disk]"}));
  // The folder stays with the drive, for its tooltip and for paths.
  EXPECT_EQ(drives[3].target, "/mnt/usb");
}

TEST(ListDrives, FallsBackToWineprefixThenToHomeDotWine) {
  Scratch s;
  const fs::path program = s.path("plain/folder");
  fs::create_directories(program);
  const fs::path env_prefix = s.prefix("env", {{"d:", "/mnt"}});
  s.prefix("home/.wine", {{"c:", "../drive_c"}});
  const std::string home = s.path("home").string();

  EXPECT_EQ(letters(list_drives(program.string(), env_prefix.c_str(), home)),
            std::vector<char>{'d'});
  const auto in_home = list_drives(program.string(), nullptr, home);
  EXPECT_EQ(letters(in_home), std::vector<char>{'c'});
  EXPECT_EQ(in_home[0].target, s.path("home/.wine/drive_c").string());
  EXPECT_EQ(letters(list_drives(program.string(), "", home)), std::vector<char>{'c'});
  // A $WINEPREFIX that is no prefix (no dosdevices) is passed over.
  EXPECT_EQ(letters(list_drives(program.string(), s.path("plain").c_str(), home)),
            std::vector<char>{'c'});
}

TEST(ListDrives, AFolderNamedDriveCWithoutDosdevicesBesideItIsNoPrefix) {
  Scratch s;
  const fs::path program = s.path("x/drive_c/emu");
  fs::create_directories(program);
  EXPECT_TRUE(list_drives(program.string(), nullptr, s.path("nohome").string()).empty());
  EXPECT_FALSE(no_drives_reason().empty());
}

TEST(DriveOfFolder, PicksTheDeepestDriveThatHoldsTheFolder) {
  Scratch s;
  const fs::path prefix = s.prefix("p", {{"c:", "../drive_c"}, {"z:", "/"}});
  const fs::path program = prefix / "drive_c" / "emu";
  fs::create_directories(program);
  const auto drives = list_drives(program.string(), nullptr, "");
  ASSERT_EQ(letters(drives), (std::vector<char>{'c', 'z'}));

  EXPECT_EQ(drive_of_folder(drives, program.string()), 0u);
  EXPECT_EQ(drive_of_folder(drives, s.path("elsewhere").string()), 1u) << "z: holds all of /";
  // "drive_c2" begins with the text of drive_c but does not lie in it.
  fs::create_directories(prefix / "drive_c2");
  const std::vector<DriveEntry> only_c{drives[0]};
  EXPECT_FALSE(drive_of_folder(only_c, (prefix / "drive_c2").string()).has_value());
}

TEST(EmulatorPath, AChosenPathBecomesOneOnTheDeepestDriveThatHoldsIt) {
  Scratch s;
  const fs::path cdrom = s.path("media/cd");
  fs::create_directories(cdrom / "Games");
  const fs::path prefix = s.prefix("p", {{"c:", "../drive_c"}, {"d:", cdrom.string()}});
  fs::create_directories(prefix / "drive_c" / "Cards");
  const auto drives = list_drives((prefix / "drive_c").string(), nullptr, "");
  ASSERT_EQ(letters(drives), (std::vector<char>{'c', 'd'}));

  EXPECT_EQ(to_emulator_path(drives, (prefix / "drive_c/Cards/syscard3.pce").string()),
            "C:\\Cards\\syscard3.pce");
  EXPECT_EQ(to_emulator_path(drives, (prefix / "drive_c").string()), "C:\\");
  // Through the link itself as well as through the folder it leads to.
  EXPECT_EQ(to_emulator_path(drives, (prefix / "dosdevices/d:/Games").string()), "D:\\Games");
  EXPECT_EQ(to_emulator_path(drives, (cdrom / "Games").string()), "D:\\Games");
  EXPECT_FALSE(to_emulator_path(drives, s.path("elsewhere/a.pce").string()));
  EXPECT_FALSE(to_emulator_path({}, (prefix / "drive_c").string()));

  // And back, for where a chooser opens.
  const std::string program = (prefix / "drive_c" / "Quorvane").string();
  EXPECT_EQ(from_emulator_path(drives, "C:\\Cards\\syscard3.pce", program),
            (prefix / "drive_c/Cards/syscard3.pce").string());
  EXPECT_EQ(from_emulator_path(drives, "d:\\Games", program), (cdrom / "Games").string());
  EXPECT_EQ(from_emulator_path(drives, "C:\\", program), (prefix / "drive_c").string());
  EXPECT_EQ(from_emulator_path(drives, "bios\\card.pce", program), program + "/bios/card.pce")
      << "the emulator reads a path without a drive from its own folder";
  EXPECT_FALSE(from_emulator_path(drives, "Q:\\x", program)) << "no drive Q:";
}

TEST(EmulatorPath, ALinkOnADriveIsWrittenWhereItLiesNotWhereItLeads) {
  Scratch s;
  const fs::path prefix = s.prefix("p", {{"c:", "../drive_c"}});
  const fs::path games = prefix / "drive_c" / "Games";
  fs::create_directories(games);
  fs::create_directories(s.path("roms/set"));
  testing::write_bytes(s.path("roms/card.pce"), "");
  fs::create_symlink(s.path("roms/card.pce"), games / "card.pce");
  fs::create_symlink(s.path("roms/set"), games / "set");
  const auto drives = list_drives(games.string(), nullptr, "");
  ASSERT_EQ(letters(drives), (std::vector<char>{'c'}));

  // The emulator opens both through the links; what they lead to lies on no drive.
  EXPECT_EQ(to_emulator_path(drives, (games / "card.pce").string()), "C:\\Games\\card.pce");
  EXPECT_EQ(to_emulator_path(drives, (games / "set").string()), "C:\\Games\\set");
  EXPECT_FALSE(to_emulator_path(drives, s.path("roms/card.pce").string()));
}

#endif

}  // namespace
}  // namespace quorvane
