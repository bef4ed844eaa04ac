#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QTest>

#include "view_fixture.h"

namespace quorvane {
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

const QString kDriveC = "c: -> /prefix/drive_c";
const QString kDriveD = "d: -> /media/cd";

// The user edits a panel's widgets; the table learns of it only when the panel is left.
class PanelsViewTest : public testing::QtViewTest {
 protected:
  void SetUp() override {
    QtViewTest::SetUp();
    // As the program does at start-up: every drive list offers the same drives, at the one
    // that holds the program's folder.
    for (const char* name : {"Dri_panel_list", "dr_cdrom_letter"}) {
      at(name).set_list({kDriveC.toStdString(), kDriveD.toStdString()});
      at(name).set_drive(kDriveC.toStdString());
    }
    view->sync();
  }

  const std::string& row(Row r) { return main.table().value(r); }
};

TEST_F(PanelsViewTest, EmulationEditsOnBothPagesReachTheTableWhenThePanelIsLeft) {
  click("imgpanel");
  retype(field("com_panel_hz"), "61 Hz");
  choose(as<QComboBox>("Dri_panel_list"), kDriveD);
  EXPECT_EQ(field("txt_panel_list")->text(), "CDEFD");
  click("lblvideo_1", 51);  // "Next >>>"
  retype(field("txt_panel_b_card1"), "C:\\Cards\\syscard3.pce");

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
  retype(field("com_sound_fre"), "32000");
  choose(as<QComboBox>("com_sound_ilevel"), "15");
  // No trimming and no range check: the emulator is the judge of " 40".
  retype(field("txt_sound_delay"), " 40");

  click("imgcontrol");
  EXPECT_EQ(row(kFrequency), "32000");
  EXPECT_EQ(row(kInterpolationLevel), "15");
  EXPECT_EQ(row(kSoundDelay), " 40");
  EXPECT_EQ(row(kSound), "y");
}

TEST_F(PanelsViewTest, EveryDifferentDrivePickedAppendsItsLetterToItsOwnBox) {
  click("imgcd");
  auto* drives = as<QComboBox>("dr_cdrom_letter");
  choose(drives, kDriveD);
  choose(drives, kDriveD);  // the same drive again changes nothing
  choose(drives, kDriveC);
  EXPECT_EQ(field("txt_cdrom_letter")->text(), "DC");
  retype(field("txt_cdrom_time"), "30");
  retype(field("com_cdrom_first"), "1");

  click("imgpanel");
  EXPECT_EQ(row(kCdromLetter), "DC");
  EXPECT_EQ(row(kCdromTimeout), "30");
  EXPECT_EQ(row(kCdromDrive), "1");
  EXPECT_EQ(field("txt_panel_list")->text(), "CDEF") << "the other drive list's box is untouched";

  // Coming back shows what was stored.
  click("imgcd");
  EXPECT_EQ(field("txt_cdrom_letter")->text(), "DC");
  EXPECT_EQ(as<QComboBox>("dr_cdrom_letter")->currentText(), kDriveC);
}

TEST_F(PanelsViewTest, ItemsChosenFromListsAreStoredAsTheirCodesOrAsShown) {
  click("picpantalla");
  click("lblvideo_1", 20);  // "More >>>"
  choose(as<QComboBox>("com_video_tvscal"), "0%");

  click("imgteclado");
  EXPECT_EQ(row(kScanlines), "4");
  choose(as<QComboBox>("com_key_type"), "QWERTZ");
  QTest::mouseClick(as<QCheckBox>("ch_glolock", 0), Qt::LeftButton);  // "Unlock"

  click("imgcontrol");
  EXPECT_EQ(row(kKeyboardType), "2");
  EXPECT_EQ(row(kNumpad), "y");
  choose(as<QComboBox>("com_pad_control"), "80%");

  click("imgcd");
  EXPECT_EQ(row(kAutoCalibration), "80%");
}

}  // namespace
}  // namespace quorvane
