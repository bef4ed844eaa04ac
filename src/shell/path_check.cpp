#include "shell/path_check.h"

#include "files/files.h"

namespace quorvane {

std::optional<std::string> path_not_found(std::string_view value, PathKind kind,
                                          const std::vector<DriveEntry>& drives,
                                          const std::string& program_folder) {
  if (value.empty()) return std::nullopt;
  const std::optional<std::string> native =
      from_emulator_path(drives, std::string(value), program_folder);
  if (!native) return std::nullopt;
  const char* wrong = nullptr;
  switch (files::entry_kind(*native)) {
    case files::EntryKind::Missing:
      wrong = kind == PathKind::File ? "No file is there." : "No folder is there.";
      break;
    case files::EntryKind::Folder:
      if (kind == PathKind::File) wrong = "That is a folder; the emulator opens a file here.";
      break;
    case files::EntryKind::File:
      if (kind == PathKind::Folder) wrong = "That is a file; the emulator needs a folder here.";
      break;
    case files::EntryKind::Unknown:
      break;  // it may well be there: this program cannot tell
  }
  if (wrong == nullptr) return std::nullopt;
  return "Not found: " + *native + "\n" + wrong + " The value is saved as it stands.";
}

}  // namespace quorvane
