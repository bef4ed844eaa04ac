#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// One drive the drive lists offer.
struct DriveEntry {
  char letter = 0;     // lower case, 'a' to 'z'
  std::string target;  // where the letter leads: "C:\" on Windows, a folder under Wine
  std::string text;    // what the list shows; begins with the letter, as the logic requires
};

// What kind of drive a letter is, as the system (or Wine's drive settings) says.
enum class DriveKind { Removable, Fixed, Remote, CdRom, RamDisk, Unknown };

// What a drive list shows for a drive: its letter and its kind, "c: [Local Disk]", the same in
// both builds. Where the drive leads (under Wine a long folder) is its tooltip, not its text: a
// closed list is too narrow for a path.
std::string drive_text(char letter, DriveKind kind);

// The kind of a drive of a Wine prefix from the type its drive settings give it ("cdrom",
// "floppy", "network", "hd", "ramdisk"); a drive with no type is a local disk, as Wine takes it.
DriveKind wine_drive_kind(std::string_view type);

// The drive letters the program can see, sorted by letter.
//
// On Windows these are the machine's drives. Elsewhere the program runs under Wine, so the
// letters are those of a Wine prefix: the one whose drive_c holds `program_folder` (the usual
// case: the editor sits in the emulator's folder inside the prefix), else `wineprefix_env` (the
// value of $WINEPREFIX, or nullptr when unset), else `home`/.wine. The environment is passed in
// rather than read here so that tests can point it anywhere. Texts are UTF-8. Under Wine a drive's
// kind comes from the prefix's drive settings (system.reg, Software\Wine\Drives).
std::vector<DriveEntry> list_drives(const std::string& program_folder, const char* wineprefix_env,
                                    const std::string& home);

// The entry whose drive holds `folder`: the deepest target that contains it (under Wine, z: leads
// to "/" and contains everything, but c: is the better answer for a folder in drive_c).
std::optional<std::size_t> drive_of_folder(const std::vector<DriveEntry>& drives,
                                           const std::string& folder);

// A path the user chose, as the emulator reads it. On Windows that is the path as it stands.
// Elsewhere the emulator runs under Wine and knows its files by drive letter, so the path becomes
// one on the drive that holds it (the deepest, as in drive_of_folder): "/p/drive_c/Games/a.pce"
// with c: leading to "/p/drive_c" is "C:\Games\a.pce". nullopt when no drive holds the path.
std::optional<std::string> to_emulator_path(const std::vector<DriveEntry>& drives,
                                            const std::string& native_path);

// The way back, for opening a chooser where a path box points: a drive path of one of `drives`
// as the folder it leads to, and a path without a drive as one below `program_folder`, where the
// emulator looks for it. nullopt for a drive that is not there. On Windows the path as it stands,
// and a relative one below `program_folder` too.
std::optional<std::string> from_emulator_path(const std::vector<DriveEntry>& drives,
                                              const std::string& emulator_path,
                                              const std::string& program_folder);

// Why the list is empty, for the tooltip of a disabled drive list.
std::string no_drives_reason();

}  // namespace quorvane
