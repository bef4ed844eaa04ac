#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "panel_pages.h"
#include "panels/bindings.h"
#include "panels/panels.h"

namespace quorvane {
namespace {

using testing::make_panel_form;
using Collect = void (*)(Form&, SettingsTable&);

struct Visit {
  int row;
  const char* stored;
  const char* after;  // the row once the panel is filled and collected, nothing touched
};

// Each case on a fresh window, so one row's value cannot hide another's fault.
void expect_visits(Collect collect, std::initializer_list<Visit> visits) {
  for (const Visit& v : visits) {
    const auto form = make_panel_form();
    SettingsTable table;
    table.set_value(v.row, v.stored);
    fill_controls(*form, table);
    collect(*form, table);
    EXPECT_EQ(table.value(v.row), v.after) << "row " << v.row << " stored \"" << v.stored << '"';
  }
}

struct Filled {
  std::unique_ptr<Form> form = make_panel_form();
  SettingsTable table;

  explicit Filled(std::initializer_list<std::pair<int, const char*>> values) {
    for (const auto& [row, value] : values) table.set_value(row, value);
    fill_controls(*form, table);
  }
  Control& at(std::string_view name, int index = -1) { return form->at(name, index); }
};

TEST(EmulationPanel, Visit) {
  expect_visits(collect_emulation, {{1, "y", "y"},
                                    {1, "n", "n"},
                                    {1, "Y", "n"},
                                    {1, "", "n"},
                                    {2, "", ""},
                                    {2, "16393", "16393"},
                                    {2, "16949", "16949"},
                                    {2, "16667", "16667"},
                                    {2, " 16393", " 16393"},
                                    {51, "CDEF", "CDEF"},
                                    {51, "", ""},
                                    {52, "y", "y"},
                                    {52, "yes", "n"},
                                    {54, "6", "6"},
                                    {55, "n", "n"},
                                    {56, "0", "0"},
                                    {56, "1", "1"},
                                    {56, "2", ""},
                                    {56, " 1", ""},
                                    {57, "", "n"},
                                    {65, " C:\\PCE\\sys.pce ", " C:\\PCE\\sys.pce "},
                                    {69, "xxx", "xxx"},
                                    {71, "", ""}});
}

TEST(EmulationPanel, CodedCombos) {
  Filled f({{2, "16667"}, {56, "1"}});
  EXPECT_EQ(f.at("com_panel_hz").text(), "");
  EXPECT_EQ(f.at("com_panel_backup").text(), "New format");

  // An unknown rate typed in keeps the delay; a listed one replaces it.
  f.at("com_panel_hz").set_text("61 hz");
  collect_emulation(*f.form, f.table);
  EXPECT_EQ(f.table.value(2), "16667");
  f.at("com_panel_hz").set_text("60 Hz");
  f.at("com_panel_backup").set_text("Old format");
  collect_emulation(*f.form, f.table);
  EXPECT_EQ(f.table.value(2), "");
  EXPECT_EQ(f.table.value(56), "0");
  f.at("com_panel_backup").set_text("new format");
  collect_emulation(*f.form, f.table);
  EXPECT_EQ(f.table.value(56), "");
}

TEST(VideoPanel, Visit) {
  expect_visits(collect_video, {{16, "y", "y"},  {16, "n", "n"}, {16, "Y", "n"},
                                {16, "", "n"},   {17, "y", "y"}, {19, "", "n"},
                                {22, "Y", "n"},  {23, "y", "y"}, {30, "n", "n"},
                                {32, "y", "y"},  {33, "y", "y"}, {34, "y ", "n"},
                                {18, "0", "0"},  {18, "1", "1"}, {18, "2", "2"},
                                {18, "3", "3"},  {18, "", ""},   {18, "01", "01"},
                                {20, "0", "0"},  {20, "1", "1"}, {20, "2", "1"},
                                {20, "", "1"},   {21, "0", "0"}, {21, "1", "1"},
                                {21, "", "0"},   {21, "2", "0"}, {24, "800,600", "800,600"},
                                {29, "", ""},    {35, "0", "0"}, {35, "4", "4"},
                                {35, "7", ""},   {35, "", ""},   {36, "9", "9"},
                                {37, " 1", " 1"}});
}

TEST(VideoPanel, OptionGroupsFollowTheValue) {
  Filled f({{16, "Y"}, {18, "5"}, {20, "0"}, {21, "1"}});
  EXPECT_TRUE(f.at("op_video_winmodo", 1).option_value());  // Fullscreen
  EXPECT_FALSE(f.at("op_video_winmodo", 0).option_value());
  for (int i = 0; i <= 2; ++i) EXPECT_FALSE(f.at("op_video_fullm", i).option_value()) << i;
  EXPECT_TRUE(f.at("op_video_winmodo", 3).option_value());  // 1x1 zoom
  EXPECT_FALSE(f.at("op_video_winmodo", 2).option_value());
  EXPECT_TRUE(f.at("op_video_winmodo", 5).option_value());  // Hardware
  EXPECT_FALSE(f.at("op_video_winmodo", 4).option_value());

  // A mode the panel cannot show is written only once the user picks one.
  f.at("op_video_fullm", 1).set_option_value(true);
  f.at("op_video_winmodo", 0).set_option_value(true);
  collect_video(*f.form, f.table);
  EXPECT_EQ(f.table.value(18), "1");
  EXPECT_EQ(f.table.value(16), "y");
}

TEST(VideoPanel, ScanlinesByText) {
  Filled f({{35, "2"}});
  EXPECT_EQ(f.at("com_video_tvscal").text(), "50%");
  f.at("com_video_tvscal").set_text("0%");
  collect_video(*f.form, f.table);
  EXPECT_EQ(f.table.value(35), "4");
  f.at("com_video_tvscal").set_text("30%");
  collect_video(*f.form, f.table);
  EXPECT_EQ(f.table.value(35), "");
}

TEST(SoundPanel, Visit) {
  expect_visits(collect_sound, {{4, "y", "y"},
                                {4, "Y", "n"},
                                {6, "n", "n"},
                                {7, "", "n"},
                                {8, "y", "y"},
                                {5, "32000", "32000"},
                                {9, "20", "20"},
                                {10, " 5 ", " 5 "},
                                {11, "", ""},
                                {12, "150", "150"},
                                {13, "x", "x"},
                                {14, "0", "0"}});
}

TEST(GamepadPanel, Visit) {
  expect_visits(collect_gamepad, {{39, "y", "y"},
                                  {39, "n", "n"},
                                  {39, "", "n"},
                                  {40, "15", "15"},
                                  {41, "70", "70"},
                                  {41, "80%", "80%"}});
  Filled f({});
  EXPECT_EQ(f.at("com_pad_control").text(), "70");  // the default, without a sign
  f.at("com_pad_control").set_text("90%");
  collect_gamepad(*f.form, f.table);
  EXPECT_EQ(f.table.value(41), "90%");
}

TEST(KeyboardPanel, Visit) {
  expect_visits(collect_keyboard, {{43, "0", "0"},
                                   {43, "1", "1"},
                                   {43, "2", "2"},
                                   {43, "3", ""},
                                   {43, "", ""},
                                   {44, "n", "n"},
                                   {44, "y", "y"},
                                   {44, "", "y"},
                                   {45, "N", "y"},
                                   {46, "n ", "y"},
                                   {47, "0", "0"},
                                   {47, "2", "2"},
                                   {47, "x", ""},
                                   {48, "20", "20"},
                                   {49, "20", "20"}});
  Filled f({{43, "2"}, {47, "1"}});
  EXPECT_EQ(f.at("com_key_type").text(), "QWERTZ");
  EXPECT_EQ(f.at("com_key_mode").text(), "GUI mode");
  f.at("com_key_mode").set_text("GUI Mode");
  collect_keyboard(*f.form, f.table);
  EXPECT_EQ(f.table.value(47), "");
}

TEST(CdromPanel, Visit) {
  expect_visits(collect_cdrom, {{59, "12", "12"},
                                {59, "", ""},
                                {60, "D:", "D:"},
                                {61, "0", "0"},
                                {62, "y", "y"},
                                {62, "n", "n"},
                                {62, "Y", "n"},
                                {63, "512", "512"}});
}

TEST(FillControls, DefaultsSurviveAVisitOfEveryPanelButThreeEmptySwitches) {
  const auto form = make_panel_form();
  SettingsTable table;
  fill_controls(*form, table);
  for (Collect collect : {collect_emulation, collect_video, collect_sound, collect_gamepad,
                          collect_keyboard, collect_cdrom}) {
    collect(*form, table);
  }
  SettingsTable expected;
  for (int row : {16, 17, 19}) expected.set_value(row, "n");  // stored empty by default
  EXPECT_EQ(table, expected);
}

TEST(FillControls, VisitsRowsInAscendingOrder) {
  const auto form = make_panel_form();
  std::vector<std::string> clicks;
  for (const auto& c : form->controls()) {
    if (c->kind() == Kind::CheckBox) {
      c->on_click([&clicks](Control& box) { clicks.push_back(box.display_name()); });
    }
  }
  // A value for every switch row that flips its box from the starting state, so each raises
  // exactly one click.
  SettingsTable table;
  for (const Binding& b : all_bindings()) {
    if (const auto* sw = std::get_if<codec::Switch>(&b.codec)) {
      const bool starts_checked = form->at(b.control.name, b.control.index).value() == 1;
      table.set_value(b.row, std::string(starts_checked ? sw->unchecked_value : sw->checked_value));
    }
  }
  fill_controls(*form, table);
  const std::vector<std::string> expected = {
      "ch_global(10)", "ch_global(14)", "ch_global(15)", "ch_global(16)", "ch_global(17)",
      "ch_global(1)",  "ch_global(2)",  "ch_global(3)",  "ch_global(0)",  "ch_global(4)",
      "ch_global(5)",  "ch_global(6)",  "ch_global(7)",  "ch_global(9)",  "ch_glolock(0)",
      "ch_glolock(1)", "ch_glolock(2)", "ch_global(11)", "ch_global(13)", "ch_global(12)",
      "ch_global(8)"};
  EXPECT_EQ(clicks, expected);
}

TEST(DriveLists, AppendTheUpperCasedLetterOfEachPick) {
  const auto form = make_panel_form();
  Control& panel_list = form->at("Dri_panel_list");
  panel_list.on_change([&form](Control&) { Dri_panel_list_Change(*form); });
  Control& cdrom_list = form->at("dr_cdrom_letter");
  cdrom_list.on_change([&form](Control&) { dr_cdrom_letter_Change(*form); });

  EXPECT_EQ(form->at("txt_panel_list").text(), "CDEF");
  panel_list.pick_drive("c:");
  panel_list.pick_drive("D: [DATA]");
  EXPECT_EQ(form->at("txt_panel_list").text(), "CDEFCD");
  panel_list.pick_drive("");  // no drive at all adds nothing
  EXPECT_EQ(form->at("txt_panel_list").text(), "CDEFCD");

  Control& letters = form->at("txt_cdrom_letter");
  letters.set_text("D:");
  cdrom_list.pick_drive("e:");
  cdrom_list.pick_drive("d:");
  cdrom_list.pick_drive("e:");
  EXPECT_EQ(letters.text(), "D:EDE");
  EXPECT_EQ(form->at("txt_panel_list").text(), "CDEFCD");  // each list feeds its own box
}

}  // namespace
}  // namespace quorvane
