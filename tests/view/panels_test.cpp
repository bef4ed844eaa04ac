// The user edits a panel's widgets; the table learns of it only when the panel is left. Whichever
// front end draws them, the same edits store the same values.

#include <gtest/gtest.h>

#include <string>

#include "view_suite.h"

namespace quorvane::testing {
namespace {

// Rows of the settings table.
constexpr Row kSoftReset = row::soft_reset;
constexpr Row kFrameDelay = row::frame_delay;
constexpr Row kSound = row::sound;
constexpr Row kFrequency = row::frequency;
constexpr Row kInterpolationLevel = row::interpolation_level;
constexpr Row kSoundDelay = row::delay;
constexpr Row kScanlines = row::scanlines;
constexpr Row kAutoCalibration = row::auto_calibration;
constexpr Row kKeyboardType = row::keyboard_type;
constexpr Row kNumpad = row::numpad;
constexpr Row kLoadDriveList = row::drive_list;
constexpr Row kCdromDrive = row::cdrom_drive;
constexpr Row kCdromLetter = row::drive_letter;
constexpr Row kCdromTimeout = row::timeout;
constexpr Row kSystemCard1 = row::system_card_1;
constexpr Row kSystemCard2 = row::system_card_2;

const std::string kDriveC = "c: [Local Disk]";
const std::string kDriveD = "d: [CD-ROM]";

// The user edits a panel's widgets; the table learns of it only when the panel is left.
class PanelsViewTest : public ViewTest {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
    // As the program does at start-up: every drive list offers the same drives, at the one
    // that holds the program's folder.
    for (const char* name : {"Dri_panel_list", "dr_cdrom_letter"}) {
      at(name).set_list({kDriveC, kDriveD});
      at(name).set_drive(kDriveC);
    }
    view->sync();
  }

  const std::string& row(Row r) { return main.table().value(r); }
};

TEST_F(PanelsViewTest, EmulationEditsOnBothPagesReachTheTableWhenThePanelIsLeft) {
  click("imgpanel");
  view->retype(at("com_panel_hz"), u"61 Hz");
  view->choose(at("Dri_panel_list"), utf16(kDriveD));
  EXPECT_EQ(view->text(at("txt_panel_list")), u"CDEFD");
  click("lblvideo_1", 51);  // "Next >>>"
  view->retype(at("txt_panel_b_card1"), u"C:\\Cards\\syscard3.pce");

  // Turning the page is not leaving the panel.
  EXPECT_EQ(row(kFrameDelay), "");
  EXPECT_EQ(row(kLoadDriveList), "CDEF");
  EXPECT_EQ(row(kSystemCard1), "");

  click("picpantalla");
  EXPECT_EQ(row(kFrameDelay), "16393") << "a rate typed in full is stored as its delay";
  EXPECT_EQ(row(kLoadDriveList), "CDEFD");
  EXPECT_EQ(row(kSystemCard1), "C:\\Cards\\syscard3.pce");
  EXPECT_EQ(row(kSystemCard2), "");
  EXPECT_EQ(row(kSoftReset), "y");
}

TEST_F(PanelsViewTest, SoundTextsTypedOrChosenAreStoredAsTheyStand) {
  click("imgsonido");
  view->retype(at("com_sound_fre"), u"32000");
  view->choose(at("com_sound_ilevel"), u"15");
  // No trimming and no range check: the emulator is the judge of " 40".
  view->retype(at("txt_sound_delay"), u" 40");

  click("imgcontrol");
  EXPECT_EQ(row(kFrequency), "32000");
  EXPECT_EQ(row(kInterpolationLevel), "15");
  EXPECT_EQ(row(kSoundDelay), " 40");
  EXPECT_EQ(row(kSound), "y");
}

TEST_F(PanelsViewTest, EveryDifferentDrivePickedAppendsItsLetterToItsOwnBox) {
  click("imgcd");
  const Control& drives = at("dr_cdrom_letter");
  view->choose(drives, utf16(kDriveD));
  view->choose(drives, utf16(kDriveD));  // the same drive again changes nothing
  view->choose(drives, utf16(kDriveC));
  EXPECT_EQ(view->text(at("txt_cdrom_letter")), u"DC");
  view->retype(at("txt_cdrom_time"), u"30");
  view->retype(at("com_cdrom_first"), u"1");

  click("imgpanel");
  EXPECT_EQ(row(kCdromLetter), "DC");
  EXPECT_EQ(row(kCdromTimeout), "30");
  EXPECT_EQ(row(kCdromDrive), "1");
  EXPECT_EQ(view->text(at("txt_panel_list")), u"CDEF") << "the other drive list's box is untouched";

  // Coming back shows what was stored.
  click("imgcd");
  EXPECT_EQ(view->text(at("txt_cdrom_letter")), u"DC");
  EXPECT_EQ(view->text(drives), utf16(kDriveC));
}

TEST_F(PanelsViewTest, ItemsChosenFromListsAreStoredAsTheirCodesOrAsShown) {
  click("picpantalla");
  click("lblvideo_1", 20);  // "More >>>"
  view->choose(at("com_video_tvscal"), u"0%");

  click("imgteclado");
  EXPECT_EQ(row(kScanlines), "4");
  view->choose(at("com_key_type"), u"QWERTZ");
  click("ch_glolock", 0);  // "Unlock"

  click("imgcontrol");
  EXPECT_EQ(row(kKeyboardType), "2");
  EXPECT_EQ(row(kNumpad), "y");
  view->choose(at("com_pad_control"), u"80%");

  click("imgcd");
  EXPECT_EQ(row(kAutoCalibration), "80%");
}

}  // namespace
}  // namespace quorvane::testing
