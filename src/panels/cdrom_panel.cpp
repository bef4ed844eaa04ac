// Panel 5: [cdrom], on pic_cdrom.

#include "panels/layout.h"
#include "panels/panel_units.h"
#include "panels/registry.h"

namespace quorvane {

namespace panel_units {

void build_cdrom_controls(PanelSite site) {
  layout::Page p(site);
  p.label(84, "CD - ROM", {120, 0, 1035, 240}, layout::LabelStyle::Heading);
  p.rule(1);

  Control& drive = p.label(62, "CD - ROM drive", {120, 480, 1350, 195});
  p.combo({row::cdrom_drive, {drive}}, "com_cdrom_first", {360, 720, 1095, 315}, "0",
          layout::numbers(0, 9));
  Control& letter = p.label(63, "CD - ROM drive letter", {120, 1200, 1845, 195});
  Control& letters = p.drive_list("dr_cdrom_letter", {360, 1440, 1575, 315});
  // Built one letter per pick by the drive list, but a "D:" typed into the file is kept too.
  p.drive_box({row::drive_letter, {letter}}, letters, "txt_cdrom_letter", {360, 1800, 1575, 285},
              "CDEF");
  Control& timeout = p.label(64, "SCSI driver timeout", {120, 2280, 1650, 195});
  p.text_box({row::timeout, {timeout}}, "txt_cdrom_time", {360, 2520, 1575, 285}, "0");
  Control& cache = p.label(65, "CD - ROM cache", {120, 3000, 1455, 195});
  p.global_switch({row::cache, {cache}}, 8, 360, 3240, false);

  Control& size = p.label(66, "CD - ROM cache size", {2280, 480, 1845, 195});
  p.text_box({row::cache_size, {size}}, "txt_cdrom_size", {2400, 720, 1095, 285}, "512");
  p.label(67, "KB", {3495, 760, 255, 195});
}

PanelEntry cdrom_panel() {
  return PanelEntry{
      .number = 5,
      .page = "pic_cdrom",
      .sub_page = "",
      .sub_page_rect = {},
      .nav = {"imgcd", 3120, "CD ROM Settings", "nav_cdrom"},
      .build = build_cdrom_controls,
      .links = {},
  };
}

}  // namespace panel_units

}  // namespace quorvane
