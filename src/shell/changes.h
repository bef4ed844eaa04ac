#pragma once

#include <string>
#include <vector>

#include "model/controls.h"
#include "panels/bindings.h"
#include "settings/settings_table.h"

// What the window shows of the changes a save would write, before it is written: the marks
// beside changed settings and the list on "Save & Quit". Both are worked out from what the save
// itself would write, so neither can tell another story than the file.
namespace quorvane {

// The table Save & Quit would write now: `table` with the panel on show collected, as the save
// collects it, into a copy. Looking changes nothing in the window.
SettingsTable table_to_save(const Declarations& declared, int panel_on_show,
                            const SettingsTable& table);

// Shows each setting's mark while what the save would store differs from what VOZ.INI held.
void mark_changes(const Declarations& declared, const SettingsTable& to_save,
                  const SettingsTable& read);

// The list on Save & Quit (UTF-8): what writing `to_save` would change in a VOZ.INI that held
// `text_read` (a UTF-16 file's text as Windows-1252: `read_utf16`).
std::string save_changes_text(const SettingsTable& to_save, const std::string& text_read,
                              bool read_utf16);

// The bindings of the page `binding`'s control stands on: a panel's first page, or its sub-page,
// in row order.
std::vector<const Binding*> page_bindings(const Declarations& declared, const Binding& binding);

}  // namespace quorvane
