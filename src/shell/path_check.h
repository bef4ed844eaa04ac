#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/drives.h"
#include "files/files.h"
#include "panels/bindings.h"

namespace quorvane {

// What is wrong when `found` stands where a path box of `kind` points: the other kind of thing
// ("It is a folder, not a file."); nullptr when it is the right kind, or nothing.
const char* wrong_kind(PathKind kind, files::EntryKind found);

// The text a path box's warning sign shows when its value leads nowhere the emulator could use:
// "Not found: " and the path as the emulator would open it, then what is wrong there. The path is
// resolved as the emulator resolves it: a relative one from the program's folder, a drive path
// through `drives` (under Wine, those of the prefix around the program). nullopt when all is well,
// and also for an empty value, for a drive path that no drive explains, which this program cannot
// look into, and for a network path (\\server\share\...), whose server may take long to answer.
// `value` and the result are UTF-8.
std::optional<std::string> path_not_found(std::string_view value, PathKind kind,
                                          const std::vector<DriveEntry>& drives,
                                          const std::string& program_folder);

}  // namespace quorvane
