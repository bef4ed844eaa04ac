// Panel 0: [emulation], [load], [misc] and [path], on pic_panel and its second page pic_panel_b.

#include "panels/layout.h"
#include "panels/panel_units.h"
#include "panels/registry.h"

namespace quorvane {

namespace {

using codec::Coded;
using codec::CodePair;
using codec::UnknownText;
using layout::LabelStyle;

// 60 Hz is the emulator's own rate when the key is empty, so it is stored as nothing at all.
constexpr CodePair kFrameDelayCodes[] = {{"16393", "61 Hz"}, {"", "60 Hz"}, {"16949", "59 Hz"}};
// Any other delay (a hand-tuned "16667", say) shows an empty combo and is kept unless the user
// picks one of the three rates.
constexpr Coded kFrameDelay{kFrameDelayCodes, UnknownText::KeepRow};
// The emulator reads 0 as the old format and 1 as the new one, as the file's comment says.
constexpr CodePair kBackupRamCodes[] = {{"1", "New format"}, {"0", "Old format"}};
constexpr Coded kBackupRam{kBackupRamCodes, UnknownText::StoreEmpty};

void build_first_page(PanelSite site) {
  layout::Page p(site);
  p.label(53, "Emulation and Path settings", {120, 0, 2880, 240}, LabelStyle::Heading);
  p.rule(3);

  Control& reset = p.label(40, "Soft reset", {120, 480, 840, 195});
  Control& keys = p.label(41, "(Run + Select)", {360, 675, 1245, 195});
  p.global_switch({row::soft_reset, {reset, keys}}, 10, 240, 960, true);
  Control& delay = p.label(42, "Frame delay", {120, 1320, 1035, 195});
  p.coded_combo({row::frame_delay, {delay}}, "com_panel_hz", {240, 1560, 1215, 315}, "60 Hz",
                kFrameDelay);
  p.label(43, "Load Menu Settings", {120, 2040, 1710, 195});
  Control& drives = p.label(44, "Drive list", {240, 2280, 765, 195});
  Control& list = p.drive_list("Dri_panel_list", {240, 2520, 1575, 315});
  p.drive_box({row::drive_list, {drives}}, list, "txt_panel_list", {240, 2880, 1575, 285}, "CDEF");
  Control& titles = p.label(45, "ROM list titles", {240, 3360, 1200, 195});
  p.global_switch({row::use_rom_file_name, {titles}}, 11, 360, 3600, false);

  p.label(46, "Misc. Settings", {2280, 480, 1215, 195});
  Control& states = p.label(47, "Number of state file", {2400, 720, 1680, 195});
  p.combo({row::nb_state_file, {states}}, "com_papel_statefile", {2520, 960, 1215, 315}, "4",
          {"4", "8"});
  Control& compression = p.label(48, "State file compression", {2400, 1440, 1890, 195});
  p.global_switch({row::compress_state_file, {compression}}, 13, 2520, 1680, true);
  Control& backup = p.label(49, "Backup ram format", {2400, 2040, 1605, 195});
  p.coded_combo({row::backup_ram, {backup}}, "com_panel_backup", {2520, 2280, 1215, 315},
                "New format", kBackupRam);
  Control& log = p.label(50, "Debug log file", {2400, 2760, 1200, 195});
  p.global_switch({row::debug_log, {log}}, 12, 2520, 3000, true);

  p.page_flip(51, "Next >>>", {5280, 3600, 780, 195}, Flip::ShowsSubPage);
}

// The emulator opens the system cards as files and the other three as folders.
void build_second_page(PanelSite site) {
  layout::Page p(site, layout::Page::Which::SubPage);
  p.label(85, "Path settings", {120, 0, 1350, 240}, LabelStyle::Heading);
  p.rule(2);

  p.label(54, "System card Paths", {120, 480, 1590, 195});
  Control& card1 = p.label(55, "System card 1", {360, 720, 1215, 195});
  p.path_box({row::system_card_1, {card1}}, "txt_panel_b_card1", PathKind::File,
             {480, 960, 2055, 285});
  Control& card2 = p.label(56, "System card 2", {360, 1320, 1215, 195});
  p.path_box({row::system_card_2, {card2}}, "txt_panel_b_card2", PathKind::File,
             {480, 1560, 2055, 285});
  Control& card3 = p.label(57, "System card 3", {360, 1920, 1215, 195});
  p.path_box({row::system_card_3, {card3}}, "txt_panel_b_card3", PathKind::File,
             {480, 2160, 2055, 285});
  Control& card4 = p.label(58, "System card 4", {360, 2520, 1215, 195});
  p.path_box({row::system_card_4, {card4}}, "txt_panel_b_card4", PathKind::File,
             {480, 2760, 2055, 285});
  Control& config = p.label(59, "Config path", {120, 3120, 990, 195});
  p.path_box({row::config_path, {config}}, "txt_panel_b_config", PathKind::Folder,
             {480, 3360, 2055, 285});

  Control& shots = p.label(60, "Screenshot path", {3120, 480, 1410, 195});
  p.path_box({row::screenshots, {shots}}, "txt_panel_b_screen", PathKind::Folder,
             {3240, 720, 2055, 285});
  Control& saved = p.label(61, "Saved game path", {3120, 1080, 1500, 195});
  p.path_box({row::saved_games, {saved}}, "txt_panel_b_saved", PathKind::Folder,
             {3240, 1320, 2055, 285});

  p.page_flip(52, "<<< Back", {5280, 3600, 825, 195}, Flip::HidesSubPage);
}

}  // namespace

namespace panel_units {

void build_emulation_controls(PanelSite site) {
  build_first_page(site);
  build_second_page(site);
}

PanelEntry emulation_panel() {
  return PanelEntry{
      .number = 0,
      .page = "pic_panel",
      .sub_page = "pic_panel_b",
      .sub_page_rect = {0, 0, 6255, 3900},
      .nav = {"imgpanel", 120, "Control Panel", "nav_panel"},
      .build = build_emulation_controls,
      .links = {},
  };
}

}  // namespace panel_units

}  // namespace quorvane
