#pragma once

// What the Windows tests need of the system that test_support.h leaves out: file attributes,
// files that another program holds open, and child processes to end with TerminateProcess.

#ifndef _WIN32
#error "windows_support.h is for Windows builds only"
#endif

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace quorvane::testing {

namespace fs = std::filesystem;

[[noreturn]] inline void fail_with_last_error(const std::string& what) {
  throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

inline DWORD attributes_of(const fs::path& path) { return GetFileAttributesW(path.c_str()); }

inline void set_attributes(const fs::path& path, DWORD attributes) {
  if (!SetFileAttributesW(path.c_str(), attributes)) fail_with_last_error(path.string());
}

// A file as another program holds it open: with `share` saying what others may do meanwhile.
class HeldOpen {
 public:
  HeldOpen(const fs::path& path, DWORD access, DWORD share)
      : handle_(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (handle_ == INVALID_HANDLE_VALUE) fail_with_last_error("cannot hold " + path.string());
  }
  HeldOpen(const HeldOpen&) = delete;
  HeldOpen& operator=(const HeldOpen&) = delete;
  ~HeldOpen() { CloseHandle(handle_); }

 private:
  HANDLE handle_;
};

inline fs::path own_executable() {
  std::wstring path(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) fail_with_last_error("GetModuleFileNameW");
  path.resize(length);
  return path;
}

// A program started with a command line; ended with TerminateProcess if it is still running when
// the object goes.
class ChildProcess {
 public:
  ChildProcess(const fs::path& program, const std::wstring& arguments) {
    std::wstring command = L"\"" + program.wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info_)) {
      fail_with_last_error("cannot start " + program.string());
    }
    CloseHandle(info_.hThread);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() {
    if (running()) terminate();
    CloseHandle(info_.hProcess);
  }

  unsigned long pid() const { return info_.dwProcessId; }
  bool running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

  // Its exit code, once it has ended by itself (STILL_ACTIVE when it has not after `ms`).
  DWORD wait(DWORD ms = INFINITE) const {
    WaitForSingleObject(info_.hProcess, ms);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

  // Ends it where it stands, as a crash or the task manager would, and waits until it is gone.
  void terminate(UINT code = 9) {
    TerminateProcess(info_.hProcess, code);
    WaitForSingleObject(info_.hProcess, INFINITE);
  }

 private:
  PROCESS_INFORMATION info_{};
};

// The id of a process that has come and gone: this test program, run once more to run no test.
inline unsigned long dead_pid() {
  unsigned long pid = 0;
  {
    ChildProcess child(own_executable(), L"--gtest_filter=-*");
    child.wait();
    pid = child.pid();
  }
  return pid;
}

}  // namespace quorvane::testing
