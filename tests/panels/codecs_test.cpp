#include "panels/codecs.h"

#include <gtest/gtest.h>

namespace quorvane::codec {
namespace {

TEST(SwitchCodec, OnlyTheExactCheckedValueChecks) {
  EXPECT_EQ(kSwitch.fill("y"), 1);
  for (const char* other : {"n", "Y", "", " y", "y ", "yes"}) {
    EXPECT_EQ(kSwitch.fill(other), 0) << '"' << other << '"';
  }
  EXPECT_EQ(kSwitch.collect(1), "y");
  EXPECT_EQ(kSwitch.collect(0), "n");
}

TEST(SwitchCodec, LockSwitchIsInverted) {
  EXPECT_EQ(kLockSwitch.fill("n"), 1);
  for (const char* other : {"y", "N", "", " n"}) {
    EXPECT_EQ(kLockSwitch.fill(other), 0) << '"' << other << '"';
  }
  EXPECT_EQ(kLockSwitch.collect(1), "n");
  EXPECT_EQ(kLockSwitch.collect(0), "y");
}

TEST(TextCodec, PassesEveryByteThrough) {
  const Text text;
  for (const char* value : {"", " 800,600 ", "C:\\Games\\PCE", "caf\xE9", "xxx"}) {
    EXPECT_EQ(text.fill(value), value);
    EXPECT_EQ(text.collect(value), value);
  }
}

constexpr CodePair kRates[] = {{"", "60 Hz"}, {"16393", "61 Hz"}};

TEST(CodedCodec, MapsBothWaysExactly) {
  const Coded coded{kRates, UnknownText::StoreEmpty};
  EXPECT_EQ(coded.fill(""), "60 Hz");  // the empty value is a code like any other
  EXPECT_EQ(coded.fill("16393"), "61 Hz");
  EXPECT_EQ(coded.fill("16667"), "");
  EXPECT_EQ(coded.fill(" 16393"), "");
  EXPECT_EQ(coded.collect("61 Hz"), "16393");
  EXPECT_EQ(coded.collect("60 Hz"), "");
  EXPECT_EQ(coded.collect("61 hz"), "");
  EXPECT_EQ(coded.collect("61 Hz "), "");
}

TEST(CodedCodec, UnknownTextCanKeepTheRow) {
  const Coded keep{kRates, UnknownText::KeepRow};
  EXPECT_EQ(keep.collect("61 hz"), std::nullopt);
  EXPECT_EQ(keep.collect(""), std::nullopt);
  // A known text still writes, the empty code included.
  EXPECT_EQ(keep.collect("60 Hz"), std::optional<std::string>(""));

  const Coded store{kRates, UnknownText::StoreEmpty};
  EXPECT_EQ(store.collect(""), std::optional<std::string>(""));
}

const std::vector<std::string_view> kTrio = {"0", "1", "2"};

TEST(OptionGroupCodec, SelectsTheMatchingMember) {
  const OptionGroup group{"0", "0", kTrio};
  EXPECT_EQ(group.fill("2"), 2u);
  EXPECT_EQ(group.fill("1"), 1u);
  EXPECT_EQ(group.collect(2), "2");
  EXPECT_EQ(group.collect(0), "0");
}

TEST(OptionGroupCodec, UnknownValuesAndEmptySelections) {
  const OptionGroup fallback{"1", "9", kTrio};
  for (const char* other : {"", "3", "01", " 1", "x"}) {
    EXPECT_EQ(fallback.fill(other), 1u) << '"' << other << '"';
  }
  EXPECT_EQ(fallback.collect(std::nullopt), "9");

  const OptionGroup none{std::nullopt, std::nullopt, kTrio};
  EXPECT_EQ(none.fill("3"), std::nullopt);
  EXPECT_EQ(none.collect(std::nullopt), std::nullopt);

  // A fallback that names no button selects none rather than a wrong one.
  const OptionGroup stray{"7", std::nullopt, kTrio};
  EXPECT_EQ(stray.fill("3"), std::nullopt);
  EXPECT_EQ(stray.fill("2"), 2u);
}

}  // namespace
}  // namespace quorvane::codec
