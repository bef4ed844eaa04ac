// Start-up against a folder that does not cooperate. When VOZ.INI cannot be read (or, missing,
// cannot be created), Form_Load throws a FileError naming VOZ.INI and the reason, and nothing in
// the folder changes: above all, an unreadable VOZ.INI is never replaced by the defaults. When
// only the backup copy fails, one warning names VOZ_backup.INI and the reason, and start-up goes
// on with the values read.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#endif

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "files/file_error.h"
#include "files/files.h"
#include "recording_window_system.h"
#include "shell/main_window.h"
#include "support.h"

namespace quorvane::robustness {
namespace {

using quorvane::testing::RecordingWindowSystem;

constexpr const char* kUserFile = "\r\n[sound]\r\nfrequency=22050\r\n";

// What Form_Load did, in one line.
std::string start_and_describe(const TempFolder& folder) {
  RecordingWindowSystem<> ws;
  MainWindow window(folder.str(), ws);
  try {
    window.Form_Load();
  } catch (const FileError& error) {
    return "failed: " + error.path() + ": " + error.reason() + " (" +
           std::to_string(ws.messages.size()) + " messages)";
  }
  std::string report = "started with frequency " + window.form().at("com_sound_fre").text() +
                       ", cur_panel " + std::to_string(window.cur_panel());
  for (const std::string& message : ws.messages) report += "; message: " + message;
  return report;
}

// What a start that failed, or warned, must show: the file it names and the reason it gives,
// and, in a report that warned, one message only.
void expect_described(const std::string& report, bool fails, const std::string& named,
                      const std::string& reason) {
  if (fails) {
    // The caller shows the error; Form_Load itself shows nothing.
    EXPECT_EQ(report, "failed: " + named + ": " + reason + " (0 messages)");
  } else {
    EXPECT_EQ(report.rfind("started with frequency 22050, cur_panel 99; message: ", 0), 0u)
        << report;
    EXPECT_EQ(report.find("; message: ", report.find("; message: ") + 1), std::string::npos)
        << "more than one message: " << report;
    EXPECT_NE(report.find(named), std::string::npos) << report;
    EXPECT_NE(report.find(reason), std::string::npos) << report;
  }
}

#ifndef _WIN32

struct StartFault {
  const char* name;
  std::function<void(const TempFolder&)> prepare;
  As as;
  rlim_t file_size_limit;
  bool fails;        // Form_Load throws; otherwise it warns about the backup and goes on
  const char* file;  // the file the error or warning names
  int code;          // the reason it gives; 0 for "not a regular file", which has no code
};

std::string reason_text(int code) { return code == 0 ? "Not a regular file" : reason_for(code); }

std::vector<StartFault> start_faults() {
  const auto user_file = [](const TempFolder& f) { write_bytes(f / "VOZ.INI", kUserFile); };
  return {
      {"VOZ.INI unreadable",
       [=](const TempFolder& f) {
         user_file(f);
         set_mode(f / "VOZ.INI", 0);
       },
       As::Nobody, RLIM_INFINITY, true, "VOZ.INI", EACCES},
      // The user could replace this one: reading must still fail rather than take the defaults.
      {"VOZ.INI write-only in the user's own folder",
       [=](const TempFolder& f) {
         user_file(f);
         give_to_nobody(f.path());
         give_to_nobody(f / "VOZ.INI");
         set_mode(f / "VOZ.INI", 0200);
       },
       As::Nobody, RLIM_INFINITY, true, "VOZ.INI", EACCES},
      {"VOZ.INI a folder",
       [](const TempFolder& f) {
         fs::create_directory(f / "VOZ.INI");
         write_bytes(f / "VOZ.INI" / "inside.txt", "kept");
       },
       As::Root, RLIM_INFINITY, true, "VOZ.INI", EISDIR},
      // Neither may hang start-up: one would wait for a writer, the other never ends.
      {"VOZ.INI a named pipe", [](const TempFolder& f) { ::mkfifo((f / "VOZ.INI").c_str(), 0644); },
       As::Root, RLIM_INFINITY, true, "VOZ.INI", 0},
      {"VOZ.INI a link to an endless device",
       [](const TempFolder& f) { fs::create_symlink("/dev/zero", f / "VOZ.INI"); }, As::Root,
       RLIM_INFINITY, true, "VOZ.INI", 0},
      {"read-only folder without VOZ.INI",
       [](const TempFolder& f) {
         give_to_nobody(f.path());
         set_mode(f.path(), 0555);
       },
       As::Nobody, RLIM_INFINITY, true, "VOZ.INI", EACCES},
      {"disk full while writing the missing VOZ.INI", [](const TempFolder&) {}, As::Root, 4096,
       true, "VOZ.INI", EFBIG},
      {"read-only folder: no room for the backup",
       [=](const TempFolder& f) {
         user_file(f);
         give_to_nobody(f.path());
         set_mode(f.path(), 0555);
       },
       As::Nobody, RLIM_INFINITY, false, "VOZ_backup.INI", EACCES},
      {"disk full while copying the backup",
       [](const TempFolder& f) {
         write_bytes(f / "VOZ.INI", std::string(kUserFile) + std::string(8000, ';') + "\r\n");
       },
       As::Root, 4096, false, "VOZ_backup.INI", EFBIG},
  };
}

TEST(StartFaults, EachGivesItsMessageAndWritesNothing) {
  int tried = 0;
  for (const StartFault& fault : start_faults()) {
    SCOPED_TRACE(fault.name);
    TempFolder folder;
    fault.prepare(folder);
    const auto before = snapshot(folder.path());
    const std::string report = run_in_child(
        fault.as, [&] { return start_and_describe(folder); }, fault.file_size_limit);
    expect_described(report, fault.fails, (folder / fault.file).string(), reason_text(fault.code));
    EXPECT_EQ(snapshot(folder.path()), before);
    ++tried;
  }
  std::printf("[figures] start-up faults tried: %d\n", tried);
}

// Lifting each permission fault lets the same start go through: the refusals above came from
// the permission, not from the child's set-up.
TEST(StartFaults, AnOrdinaryUserStartsWhenThePermissionsAllowIt) {
  TempFolder folder;
  give_to_nobody(folder.path());
  EXPECT_EQ(run_in_child(As::Nobody, [&] { return start_and_describe(folder); }),
            "started with frequency 44100, cur_panel 99");
  EXPECT_TRUE(fs::is_regular_file(folder / "VOZ.INI"));
  EXPECT_EQ(read_bytes(folder / "VOZ_backup.INI"), read_bytes(folder / "VOZ.INI"));
}

// Whatever stands at the backup's name is the backup: start-up neither waits on it, nor writes,
// follows or replaces it, nor creates anything where a link there leads, and says nothing.
TEST(StartFaults, AnythingStandingAtTheBackupsNameIsLeftAlone) {
  const std::vector<std::pair<const char*, std::function<void(const fs::path&, const fs::path&)>>>
      occupants = {
          {"an old backup", [](const fs::path& b, const fs::path&) { write_bytes(b, "old"); }},
          {"an old backup no one may read",
           [](const fs::path& b, const fs::path&) {
             write_bytes(b, "old");
             set_mode(b, 0);
           }},
          {"a folder", [](const fs::path& b, const fs::path&) { fs::create_directory(b); }},
          {"a named pipe", [](const fs::path& b, const fs::path&) { ::mkfifo(b.c_str(), 0644); }},
          {"a link to a pipe elsewhere",
           [](const fs::path& b, const fs::path& other) {
             ::mkfifo((other / "pipe").c_str(), 0644);
             fs::create_symlink(other / "pipe", b);
           }},
          {"a link to a file elsewhere",
           [](const fs::path& b, const fs::path& other) {
             write_bytes(other / "file", "theirs");
             fs::create_symlink(other / "file", b);
           }},
          {"a dangling link elsewhere",
           [](const fs::path& b, const fs::path& other) {
             fs::create_symlink(other / "nothing yet", b);
           }},
          {"a link to a device",
           [](const fs::path& b, const fs::path&) { fs::create_symlink("/dev/null", b); }},
      };
  for (const auto& [what, occupy] : occupants) {
    SCOPED_TRACE(what);
    TempFolder folder;
    TempFolder other;
    write_bytes(folder / "VOZ.INI", kUserFile);
    occupy(folder / "VOZ_backup.INI", other.path());
    const auto before = snapshot(folder.path());
    const auto other_before = snapshot(other.path());
    EXPECT_EQ(run_in_child(As::Root, [&] { return start_and_describe(folder); }),
              "started with frequency 22050, cur_panel 99");
    EXPECT_EQ(snapshot(folder.path()), before);
    EXPECT_EQ(snapshot(other.path()), other_before);
  }
}

#else

constexpr const char* kPosixFaults =
    "its faults are POSIX's: file and folder modes, another user, named pipes, devices and a "
    "file-size limit; StartFaults.OnWindowsEachGivesItsMessageAndWritesNothing has Windows's";

TEST(StartFaults, EachGivesItsMessageAndWritesNothing) { GTEST_SKIP() << kPosixFaults; }
TEST(StartFaults, AnOrdinaryUserStartsWhenThePermissionsAllowIt) { GTEST_SKIP() << kPosixFaults; }

// Whatever stands at the backup's name is the backup: start-up neither writes nor replaces it,
// even where it cannot read it, and says nothing.
TEST(StartFaults, AnythingStandingAtTheBackupsNameIsLeftAlone) {
  const std::vector<std::pair<const char*, std::function<void(const fs::path&)>>> occupants = {
      {"an old backup", [](const fs::path& b) { write_bytes(b, "old"); }},
      {"a folder", [](const fs::path& b) { fs::create_directory(b); }},
  };
  for (const bool held : {false, true}) {
    for (const auto& [what, occupy] : occupants) {
      SCOPED_TRACE(std::string(what) + (held ? ", held open by another program" : ""));
      TempFolder folder;
      write_bytes(folder / "VOZ.INI", kUserFile);
      occupy(folder / "VOZ_backup.INI");
      const auto before = snapshot(folder.path());
      std::string report;
      {
        std::optional<testing::HeldOpen> holder;
        if (held && fs::is_regular_file(folder / "VOZ_backup.INI")) {
          holder.emplace(folder / "VOZ_backup.INI", GENERIC_READ, 0);
        }
        report = start_and_describe(folder);
      }
      EXPECT_EQ(report, "started with frequency 22050, cur_panel 99");
      EXPECT_EQ(snapshot(folder.path()), before);
    }
  }
}

// Another program holds VOZ.INI open: start-up fails on a file it cannot read; a folder in the
// way is named as one. The message names the file and gives a reason. Which reason a held file
// gives depends on the Windows version (and on Wine), so there only its presence is checked.
TEST(StartFaults, OnWindowsEachGivesItsMessageAndWritesNothing) {
  struct WindowsFault {
    const char* name;
    std::function<void(const TempFolder&)> prepare;
    const char* held;  // held open by another program, without sharing, while the start runs
    DWORD held_access;
    bool fails;
    const char* file;
    std::string reason;  // empty: whatever the system says
  };
  const auto user_file = [](const TempFolder& f) { write_bytes(f / "VOZ.INI", kUserFile); };
  const std::vector<WindowsFault> faults = {
      {"VOZ.INI held open without read sharing", user_file, "VOZ.INI", GENERIC_WRITE, true,
       "VOZ.INI", ""},
      {"VOZ.INI a folder",
       [](const TempFolder& f) {
         fs::create_directory(f / "VOZ.INI");
         write_bytes(f / "VOZ.INI" / "inside.txt", "kept");
       },
       nullptr, 0, true, "VOZ.INI", is_a_directory()},
  };
  for (const WindowsFault& fault : faults) {
    SCOPED_TRACE(fault.name);
    TempFolder folder;
    fault.prepare(folder);
    const auto before = snapshot(folder.path());
    std::string report;
    {
      std::optional<testing::HeldOpen> held;
      if (fault.held != nullptr) held.emplace(folder / fault.held, fault.held_access, 0);
      report = start_and_describe(folder);
    }
    EXPECT_EQ(snapshot(folder.path()), before);
    const std::string named = (folder / fault.file).string();
    if (!fault.reason.empty()) {
      expect_described(report, fault.fails, named, fault.reason);
    } else {
      const std::string head = "failed: " + named + ": ";
      EXPECT_EQ(report.rfind(head, 0), 0u) << report;
      EXPECT_GT(report.size(), head.size() + std::string(" (0 messages)").size()) << "no reason";
    }
  }
}

#endif

// A disk image or a dump renamed VOZ.INI: refused by its size before a byte of it is read, and
// neither backed up nor replaced.
TEST(StartFaults, AHugeFileIsRefusedAtOnceNamingItsSize) {
  TempFolder folder;
  write_bytes(folder / "VOZ.INI", "");
  fs::resize_file(folder / "VOZ.INI", std::uintmax_t{1} << 30);  // sparse: no room on disk
  const auto written = fs::last_write_time(folder / "VOZ.INI");
  // Beside it, an ordinary start on the default file, timed the same way.
  TempFolder ordinary;
  write_bytes(ordinary / "VOZ.INI", default_file());
  const auto timed_start = [](const TempFolder& f, double& seconds) {
    const auto start = std::chrono::steady_clock::now();
#ifdef _WIN32
    const std::string report = start_and_describe(f);
#else
    const std::string report = run_in_child(As::Root, [&] { return start_and_describe(f); });
#endif
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return report;
  };
  double huge_seconds = 0;
  double ordinary_seconds = 0;
  // The ordinary start first, so that neither has the first child's cost alone.
  EXPECT_EQ(timed_start(ordinary, ordinary_seconds), "started with frequency 44100, cur_panel 99");
  const std::string report = timed_start(folder, huge_seconds);
  EXPECT_LT(huge_seconds, 1.0);
  std::printf(
      "[figures] start on a 1 GiB VOZ.INI (refused) %.4f s, on the default file %.4f s: "
      "ratio %.2f\n",
      huge_seconds, ordinary_seconds, huge_seconds / ordinary_seconds);
  EXPECT_EQ(report, "failed: " + (folder / "VOZ.INI").string() +
                        ": the file is 1073741824 bytes long; a settings file is never larger "
                        "than 64 MiB (0 messages)");
  // A snapshot would read the whole gigabyte; the names, the size and the time say enough.
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});
  EXPECT_EQ(fs::file_size(folder / "VOZ.INI"), std::uintmax_t{1} << 30);
  EXPECT_EQ(fs::last_write_time(folder / "VOZ.INI"), written);
}

#ifndef _WIN32
// A file within the bound on a machine short of memory: the reason is the memory, in words.
TEST(StartFaults, RunningOutOfMemoryWhileReadingIsAFileErrorThatSaysSo) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#else
  TempFolder folder;
  write_bytes(folder / "VOZ.INI", "");
  fs::resize_file(folder / "VOZ.INI", 60u << 20);
  const std::string report = run_in_child(As::Root, [&] {
    // Room for 16 MiB more than the child has mapped now: less than the file needs.
    std::ifstream statm("/proc/self/statm");
    rlim_t pages = 0;
    statm >> pages;
    const rlim_t limit = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (16u << 20);
    const struct rlimit cap { limit, limit };
    if (::setrlimit(RLIMIT_AS, &cap) != 0) return std::string("child not prepared: no limit");
    try {
      files::read_all((folder / "VOZ.INI").string());
      return std::string("read it");
    } catch (const FileError& error) {
      return std::string(error.what());
    }
  });
  EXPECT_EQ(report, "Cannot read \"" + (folder / "VOZ.INI").string() +
                        "\": there is not enough memory to hold it");
#endif
}

// Without /proc (a bare container, a chroot) the system cannot say where the program lies, and
// the editor has nothing to go on: no folder at all, never the working one. A tmpfs over /proc,
// in a mount namespace of the child's own; skipped where mounting is not allowed.
TEST(StartFaults, WithoutProcThereIsNoProgramFolder) {
  const std::string report = run_in_child(As::Root, []() -> std::string {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", "/proc", "tmpfs", 0, "size=16k") != 0) {
      return "cannot hide /proc";
    }
    const std::string exe = files::executable_path();
    return "executable \"" + exe + "\", folder " +
           (files::program_folder(exe) ? "\"" + *files::program_folder(exe) + "\"" : "none");
  });
  if (report == "cannot hide /proc") GTEST_SKIP() << report;
  EXPECT_EQ(report, "executable \"\", folder none");
}
#endif

}  // namespace
}  // namespace quorvane::robustness
