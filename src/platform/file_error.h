#pragma once

#include <stdexcept>
#include <string>

namespace quorvane {

// What a FileError says was being done, for callers that word their message by it.
namespace file_action {
inline constexpr const char* kRead = "Cannot read";
inline constexpr const char* kWrite = "Cannot write";
// The file did not exist and could not be made.
inline constexpr const char* kCreate = "Cannot create";
// The path is a folder that refused the new file a save makes beside the old one.
inline constexpr const char* kNoNewFileIn = "Cannot create a new file in the folder";
}  // namespace file_action

// A failure on a file that reaches the user: it names the file and the system's reason.
class FileError : public std::runtime_error {
 public:
  // kInUse: another program holds the file open and lets no one else have it; nothing is wrong
  // with the file, and closing that program mends it.
  enum class Cause { kOther, kInUse };

  FileError(std::string action, std::string path, std::string reason, Cause cause = Cause::kOther)
      : std::runtime_error(action + " \"" + path + "\": " + reason),
        action_(std::move(action)),
        path_(std::move(path)),
        reason_(std::move(reason)),
        cause_(cause) {}

  bool in_use() const { return cause_ == Cause::kInUse; }

  // What was being done, e.g. "Cannot write".
  const std::string& action() const { return action_; }
  const std::string& path() const { return path_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string action_;
  std::string path_;
  std::string reason_;
  Cause cause_;
};

}  // namespace quorvane
