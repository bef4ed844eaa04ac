#include "platform/front_end.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvane {
namespace {

// A message box wraps at spaces only: a long path alone on its line would make it as wide as the
// path. Runs are broken after a separator, and words of ordinary length are left as they are.
TEST(FrontEnd, LongRunsInAMessageAreBrokenAfterTheirSeparators) {
  EXPECT_EQ(front_end::break_long_runs("The settings could not be saved.", 10),
            "The settings could not be saved.");
  EXPECT_EQ(front_end::break_long_runs("Cannot write \"C:\\Games\\Quorvane\\VOZ.INI\": denied", 12),
            "Cannot write \"C:\\Games\\\nQuorvane\\\nVOZ.INI\": denied");
  EXPECT_EQ(front_end::break_long_runs("/aaaa/bbbb/cccc/dddd", 8), "/aaaa/\nbbbb/\ncccc/\ndddd");
  // No separator: cut at the limit, never inside a character.
  EXPECT_EQ(front_end::break_long_runs("xxxxxxxxxx", 4), "xxxx\nxxxx\nxx");
  EXPECT_EQ(front_end::break_long_runs("xxx\xC3\xA9yy", 4), "xxx\n\xC3\xA9yy");

  std::string path = "C:\\";
  while (path.size() < 300) path += "quorvane-folder\\";
  const std::string broken = front_end::break_long_runs("\"" + path + "VOZ.INI\"");
  std::size_t line_start = 0;
  for (std::size_t at = 0; at <= broken.size(); ++at) {
    if (at == broken.size() || broken[at] == '\n') {
      EXPECT_LE(at - line_start, 72u);
      line_start = at + 1;
    }
  }
  std::string joined = broken;
  std::erase(joined, '\n');
  EXPECT_EQ(joined, "\"" + path + "VOZ.INI\"");
}

}  // namespace
}  // namespace quorvane
