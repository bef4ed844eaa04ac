#include "shell/path_check.h"

#include "files/files.h"
#include "panels/help.h"

namespace quorvane {

const char* wrong_kind(PathKind kind, files::EntryKind found) {
  if (kind == PathKind::File && found == files::EntryKind::Folder) {
    return "It is a folder, not a file.";
  }
  if (kind == PathKind::Folder && found == files::EntryKind::File) {
    return "It is a file, not a folder.";
  }
  return nullptr;
}

std::optional<std::string> path_not_found(std::string_view value, PathKind kind,
                                          const std::vector<DriveEntry>& drives,
                                          const std::string& program_folder) {
  // A network path is left alone: the check runs at each key typed, and a server that is slow to
  // answer, or not there, would hold the window up for seconds each time.
  const auto slash = [](char c) { return c == '\\' || c == '/'; };
  if (value.empty() || (value.size() >= 2 && slash(value[0]) && slash(value[1]))) {
    return std::nullopt;
  }
  const std::optional<std::string> native =
      from_emulator_path(drives, std::string(value), program_folder);
  if (!native) return std::nullopt;
  // A path that cannot be examined may well lead somewhere: this program cannot tell.
  const files::EntryKind found = files::entry_kind(*native);
  const char* wrong =
      found == files::EntryKind::Missing ? "Nothing is there." : wrong_kind(kind, found);
  if (wrong == nullptr) return std::nullopt;
  return "Not found: " + *native + "\n" + wrong + "\n" + kSavedAsItStands;
}

}  // namespace quorvane
