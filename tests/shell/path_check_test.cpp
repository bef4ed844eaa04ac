#include "shell/path_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "files/files.h"
#include "test_support.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::write_bytes;

// The first line of a sign's text: "Not found: " and the path as resolved.
std::string first_line(const std::optional<std::string>& sign) {
  return sign ? sign->substr(0, sign->find('\n')) : "(no sign)";
}

TEST(PathCheck, ARelativePathIsLookedForFromTheProgramsFolder) {
  TempFolder program;
  fs::create_directory(program.path() / "bios");
  write_bytes(program.path() / "bios" / "card.pce", "x");
  const std::vector<DriveEntry> none;
  const std::string sep(1, files::separator());

  EXPECT_EQ(path_not_found("", PathKind::File, none, program.str()), std::nullopt)
      << "an empty box is no path";
  EXPECT_EQ(path_not_found("bios" + sep + "card.pce", PathKind::File, none, program.str()),
            std::nullopt);
  EXPECT_EQ(path_not_found("bios", PathKind::Folder, none, program.str()), std::nullopt);

  const auto missing =
      path_not_found("bios" + sep + "other.pce", PathKind::File, none, program.str());
  EXPECT_EQ(first_line(missing),
            "Not found: " + files::join(files::join(program.str(), "bios"), "other.pce"));

  // The wrong kind of thing at the path leads the emulator nowhere either.
  const auto folder_for_file = path_not_found("bios", PathKind::File, none, program.str());
  EXPECT_EQ(first_line(folder_for_file), "Not found: " + files::join(program.str(), "bios"));
  EXPECT_NE(folder_for_file->find("It is a folder, not a file."), std::string::npos)
      << *folder_for_file;
  const auto file_for_folder =
      path_not_found("bios" + sep + "card.pce", PathKind::Folder, none, program.str());
  ASSERT_TRUE(file_for_folder);
  EXPECT_NE(file_for_folder->find("It is a file, not a folder."), std::string::npos)
      << *file_for_folder;

  EXPECT_EQ(path_not_found("\\\\nowhere\\share\\card.pce", PathKind::File, none, program.str()),
            std::nullopt)
      << "no server is asked at each key typed";

  // A missing folder on the way is as missing as a missing file.
  EXPECT_TRUE(path_not_found("gone" + sep + "card.pce", PathKind::File, none, program.str()));
}

#ifndef _WIN32
TEST(PathCheck, ADrivePathIsLookedForWhereTheWinePrefixsDriveLeads) {
  TempFolder prefix;
  const fs::path drive_c = prefix.path() / "drive_c";
  fs::create_directories(drive_c / "Games");
  write_bytes(drive_c / "Games" / "card.pce", "x");
  const std::vector<DriveEntry> drives = {{'c', drive_c.string(), "c:"}, {'z', "/", "z:"}};
  const std::string program = (drive_c / "Quorvane").string();

  EXPECT_EQ(path_not_found("C:\\Games\\card.pce", PathKind::File, drives, program), std::nullopt);
  EXPECT_EQ(path_not_found("c:/Games", PathKind::Folder, drives, program), std::nullopt);
  EXPECT_EQ(first_line(path_not_found("C:\\Games\\gone.pce", PathKind::File, drives, program)),
            "Not found: " + (drive_c / "Games" / "gone.pce").string());
  EXPECT_EQ(first_line(path_not_found("C:\\Games\\card.pce", PathKind::Folder, drives, program)),
            "Not found: " + (drive_c / "Games" / "card.pce").string());

  // What no drive of the prefix explains, the emulator may still find: no sign.
  EXPECT_EQ(path_not_found("Q:\\Games\\card.pce", PathKind::File, drives, program), std::nullopt);
  EXPECT_EQ(path_not_found("C:\\Games\\gone.pce", PathKind::File, {}, program), std::nullopt);
}
#else
TEST(PathCheck, ADrivePathIsLookedForAsItStands) {
  TempFolder program;
  write_bytes(program.path() / "card.pce", "x");
  const std::string card = program.file("card.pce");
  EXPECT_EQ(path_not_found(card, PathKind::File, {}, "C:\\elsewhere"), std::nullopt);
  EXPECT_EQ(first_line(path_not_found(card + "x", PathKind::File, {}, "C:\\elsewhere")),
            "Not found: " + card + "x");
  EXPECT_TRUE(path_not_found(program.str(), PathKind::File, {}, "C:\\elsewhere"));
}
#endif

}  // namespace
}  // namespace quorvane
