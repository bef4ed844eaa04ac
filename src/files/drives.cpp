#include "files/drives.h"

#include <algorithm>
#include <system_error>

#include "files/files.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "files/files_detail.h"
#else
#include <filesystem>
#include <fstream>
#include <utility>
#endif

namespace quorvane {
#ifndef _WIN32
namespace fs = std::filesystem;
#endif

namespace {

char lower_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

#ifdef _WIN32

DriveKind drive_kind(UINT type) {
  switch (type) {
    case DRIVE_REMOVABLE:
      return DriveKind::Removable;
    case DRIVE_FIXED:
      return DriveKind::Fixed;
    case DRIVE_REMOTE:
      return DriveKind::Remote;
    case DRIVE_CDROM:
      return DriveKind::CdRom;
    case DRIVE_RAMDISK:
      return DriveKind::RamDisk;
    default:
      return DriveKind::Unknown;
  }
}

std::vector<DriveEntry> system_drives() {
  std::vector<DriveEntry> drives;
  const DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if ((mask & (DWORD{1} << i)) == 0) continue;
    DriveEntry entry;
    entry.letter = static_cast<char>('a' + i);
    entry.target = std::string(1, static_cast<char>('A' + i)) + ":\\";
    entry.text = drive_text(entry.letter, drive_kind(GetDriveTypeA(entry.target.c_str())));
    drives.push_back(std::move(entry));
  }
  return drives;
}

#else

bool is_letter(char c) {
  const char l = lower_ascii(c);
  return l >= 'a' && l <= 'z';
}

bool is_prefix(const fs::path& folder) {
  std::error_code ec;
  return !folder.empty() && fs::is_directory(folder / "dosdevices", ec);
}

// The prefix whose drive_c holds the folder; empty when there is none.
fs::path prefix_around(const fs::path& folder) {
  std::error_code ec;
  fs::path path = fs::absolute(folder, ec);
  if (ec) return {};
  path = path.lexically_normal();
  for (fs::path p = path; !p.empty(); p = p.parent_path()) {
    if (p.filename() == "drive_c" && is_prefix(p.parent_path())) return p.parent_path();
    if (p == p.parent_path()) break;
  }
  return {};
}

fs::path choose_prefix(const std::string& program_folder, const char* wineprefix_env,
                       const std::string& home) {
  if (fs::path around = prefix_around(program_folder); !around.empty()) return around;
  if (wineprefix_env != nullptr && *wineprefix_env != '\0' && is_prefix(wineprefix_env)) {
    return wineprefix_env;
  }
  if (!home.empty() && is_prefix(fs::path(home) / ".wine")) return fs::path(home) / ".wine";
  return {};
}

// The types Wine's drive settings give letters: the values of Software\Wine\Drives in the
// prefix's system.reg, as "d:"="cdrom". Letters without one are not listed.
std::vector<std::pair<char, std::string> > wine_drive_types(const fs::path& prefix) {
  std::vector<std::pair<char, std::string> > types;
  std::ifstream reg(prefix / "system.reg", std::ios::binary);
  std::string line;
  bool inside = false;
  while (std::getline(reg, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with("[")) {
      // The key's name in the file doubles its backslashes; a time stamp may follow it.
      if (inside) break;
      inside = line.starts_with("[Software\\\\Wine\\\\Drives]");
      continue;
    }
    // "d:"="cdrom"
    if (!inside || line.size() < 8 || line[0] != '"' || line[2] != ':' || line[3] != '"' ||
        line.compare(4, 2, "=\"") != 0 || !is_letter(line[1])) {
      continue;
    }
    const std::size_t close = line.find('"', 6);
    if (close != std::string::npos)
      types.emplace_back(lower_ascii(line[1]), line.substr(6, close - 6));
  }
  return types;
}

std::vector<DriveEntry> prefix_drives(const fs::path& prefix) {
  std::vector<DriveEntry> drives;
  const auto types = wine_drive_types(prefix);
  const fs::path dosdevices = prefix / "dosdevices";
  std::error_code ec;
  // Stepped with an error code: a folder that vanishes or turns unreadable mid-way ends the list
  // instead of throwing out of start-up.
  for (fs::directory_iterator it(dosdevices, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::directory_entry& entry = *it;
    // Only "c:" style names are drive letters; Wine keeps raw devices beside them as "d::".
    const std::string name = entry.path().filename().string();
    if (name.size() != 2 || name[1] != ':' || !is_letter(name[0])) continue;
    std::error_code link_ec;
    if (!entry.is_symlink(link_ec)) continue;
    fs::path target = fs::read_symlink(entry.path(), link_ec);
    if (link_ec) continue;
    // c: usually leads to "../drive_c": show the folder it means, not the relative link.
    if (target.is_relative()) target = (dosdevices / target).lexically_normal();
    std::string shown = target.string();
    if (shown.size() > 1 && shown.back() == '/') shown.pop_back();
    DriveEntry drive;
    drive.letter = lower_ascii(name[0]);
    drive.target = shown;
    const auto type = std::find_if(types.begin(), types.end(),
                                   [&drive](const auto& t) { return t.first == drive.letter; });
    drive.text = drive_text(drive.letter,
                            type == types.end() ? DriveKind::Fixed : wine_drive_kind(type->second));
    drives.push_back(std::move(drive));
  }
  return drives;
}

#endif

// A path as its elements ("/", "home", "u" or "c:", "games"), without the empty one that a
// trailing separator leaves: paths are compared and cut element by element.
using Parts = std::vector<std::string>;

// Whether `folder` is `root` or lies below it, comparing whole path elements.
bool contains(const Parts& root, const Parts& folder) {
  return root.size() <= folder.size() && std::equal(root.begin(), root.end(), folder.begin());
}

#ifdef _WIN32

// Lexical, through the system: absolute, either slash, "." and ".." resolved; links are not
// followed (std::filesystem, which would, costs the .exe more than half its size), and a drive's
// target is its root, where no link can lead elsewhere.
Parts comparable(const std::string& path) {
  const std::wstring wide = files::detail::to_fs_path(path);
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD got =
        GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (got == 0) {
      full = wide;
      break;
    }
    const bool fits = got < full.size();
    full.resize(got);
    if (fits) break;
  }
  std::string text = files::detail::from_fs_path(full);
  // A long path comes in its long form, which the drives' roots never have.
  if (text.starts_with("\\\\?\\UNC\\")) {
    text.erase(2, 6);
  } else if (text.starts_with("\\\\?\\")) {
    text.erase(0, 4);
  }
  std::transform(text.begin(), text.end(), text.begin(), lower_ascii);
  Parts parts;
  std::size_t start = 0;
  // Windows paths ignore case and take either slash.
  for (std::size_t end; start <= text.size(); start = end + 1) {
    end = text.find_first_of("\\/", start);
    if (end == std::string::npos) end = text.size();
    if (end > start) parts.push_back(text.substr(start, end - start));
  }
  return parts;
}

#else

Parts parts_of(const fs::path& path) {
  Parts parts;
  for (const fs::path& part : path) {
    if (!part.empty()) parts.push_back(part.string());
  }
  return parts;
}

Parts comparable(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(fs::path(path), ec);
  if (ec) p = fs::path(path).lexically_normal();
  return parts_of(p);
}

// The path as written, made absolute, with no link followed.
Parts as_written(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::absolute(fs::path(path), ec);
  return parts_of((ec ? fs::path(path) : p).lexically_normal());
}

#endif

// The entry of the deepest drive whose target holds `folder`, both in the form `form` gives.
std::optional<std::size_t> deepest_drive(const std::vector<DriveEntry>& drives,
                                         const std::string& folder,
                                         Parts (*form)(const std::string&)) {
  const Parts where = form(folder);
  std::optional<std::size_t> best;
  std::size_t best_depth = 0;
  for (std::size_t i = 0; i < drives.size(); ++i) {
    const Parts root = form(drives[i].target);
    if (!contains(root, where)) continue;
    if (!best || root.size() > best_depth) {
      best = i;
      best_depth = root.size();
    }
  }
  return best;
}

}  // namespace

std::vector<DriveEntry> list_drives(const std::string& program_folder, const char* wineprefix_env,
                                    const std::string& home) {
#ifdef _WIN32
  (void)program_folder;
  (void)wineprefix_env;
  (void)home;
  return system_drives();
#else
  const fs::path prefix = choose_prefix(program_folder, wineprefix_env, home);
  if (prefix.empty()) return {};
  std::vector<DriveEntry> drives = prefix_drives(prefix);
  std::sort(drives.begin(), drives.end(),
            [](const DriveEntry& a, const DriveEntry& b) { return a.letter < b.letter; });
  return drives;
#endif
}

std::optional<std::size_t> drive_of_folder(const std::vector<DriveEntry>& drives,
                                           const std::string& folder) {
  return deepest_drive(drives, folder, comparable);
}

std::optional<std::string> to_emulator_path(const std::vector<DriveEntry>& drives,
                                            const std::string& native_path) {
#ifdef _WIN32
  (void)drives;
  return native_path;
#else
  // The path as chosen comes first: a card in drive_c that is a link to a file elsewhere stays
  // C:\Games\card.pce, which the emulator opens through the link, rather than becoming the
  // place the link leads to, which may lie on no drive at all. With the links followed, a path
  // chosen through a dosdevices link itself, or through another name of the prefix, is found too.
  for (Parts (*form)(const std::string&) : {as_written, comparable}) {
    const std::optional<std::size_t> drive = deepest_drive(drives, native_path, form);
    if (!drive) continue;
    const Parts where = form(native_path);
    std::string path(1, static_cast<char>(drives[*drive].letter - 'a' + 'A'));
    path += ":\\";
    for (std::size_t i = form(drives[*drive].target).size(); i < where.size(); ++i) {
      if (where[i] == ".") continue;
      if (path.back() != '\\') path += '\\';
      path += where[i];
    }
    return path;
  }
  return std::nullopt;
#endif
}

namespace {

bool is_drive_path(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
}

}  // namespace

std::optional<std::string> from_emulator_path(const std::vector<DriveEntry>& drives,
                                              const std::string& emulator_path,
                                              const std::string& program_folder) {
#ifdef _WIN32
  (void)drives;
  if (is_drive_path(emulator_path) || emulator_path.starts_with("\\\\")) return emulator_path;
  // A path from the root ("\\Games") lies on the program's own drive.
  if (emulator_path.starts_with("\\") && is_drive_path(program_folder)) {
    return program_folder.substr(0, 2) + emulator_path;
  }
  return files::join(program_folder, emulator_path);
#else
  std::string rest = emulator_path;
  std::replace(rest.begin(), rest.end(), '\\', '/');
  if (!is_drive_path(rest)) return (fs::path(program_folder) / rest).lexically_normal().string();
  const char letter = lower_ascii(rest[0]);
  for (const DriveEntry& drive : drives) {
    if (drive.letter != letter) continue;
    fs::path native(drive.target);
    for (const fs::path& part : fs::path(rest.substr(2))) {
      if (part != "/") native /= part;
    }
    return native.lexically_normal().string();
  }
  return std::nullopt;
#endif
}

namespace {

// Each kind as the drive lists show it, and as Wine's drive settings write it.
struct KindNames {
  DriveKind kind;
  const char* shown;
  const char* wine;
};
constexpr KindNames kKindNames[] = {
    {DriveKind::Removable, "Removable", "floppy"}, {DriveKind::Fixed, "Local Disk", "hd"},
    {DriveKind::Remote, "Network", "network"},     {DriveKind::CdRom, "CD-ROM", "cdrom"},
    {DriveKind::RamDisk, "RAM Disk", "ramdisk"},
};

}  // namespace

std::string drive_text(char letter, DriveKind kind) {
  const char* name = "Unknown";
  for (const KindNames& k : kKindNames) {
    if (k.kind == kind) name = k.shown;
  }
  return std::string(1, lower_ascii(letter)) + ": [" + name + "]";
}

DriveKind wine_drive_kind(std::string_view type) {
  std::string lower(type);
  std::transform(lower.begin(), lower.end(), lower.begin(), lower_ascii);
  for (const KindNames& k : kKindNames) {
    if (lower == k.wine) return k.kind;
  }
  return DriveKind::Unknown;
}

std::string no_drives_reason() {
#ifdef _WIN32
  return "No drive letters found";
#else
  return "No drive letters found: no Wine prefix around this folder, in $WINEPREFIX or in "
         "~/.wine";
#endif
}

}  // namespace quorvane
