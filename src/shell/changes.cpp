#include "shell/changes.h"

#include "panels/change_marks.h"
#include "panels/registry.h"
#include "settings/config_changes.h"
#include "settings/config_file.h"

namespace quorvane {
namespace {

// The page a control stands on: the nearest container above it that the registry names as a
// panel's page or sub-page.
const Control* page_of(const Control& control) {
  for (const Control* c = control.parent(); c != nullptr; c = c->parent()) {
    for (const PanelEntry& panel : panel_registry()) {
      if (c->name() == panel.page || (!panel.sub_page.empty() && c->name() == panel.sub_page)) {
        return c;
      }
    }
  }
  return nullptr;
}

}  // namespace

SettingsTable table_to_save(const Declarations& declared, int panel_on_show,
                            const SettingsTable& table) {
  SettingsTable copy = table;
  collect_panel_rows(declared, panel_on_show, copy);
  return copy;
}

void mark_changes(const Declarations& declared, const SettingsTable& to_save,
                  const SettingsTable& read) {
  for (const Binding* binding : declared.bindings()) {
    const std::string& was = read.value(binding->row);
    show_change(*binding, was, to_save.value(binding->row) != was);
  }
}

std::string save_changes_text(const SettingsTable& to_save, const std::string& text_read,
                              bool read_utf16) {
  return describe_changes(compare_config(text_read, read_utf16, build_config_text(to_save)));
}

std::vector<const Binding*> page_bindings(const Declarations& declared, const Binding& binding) {
  const Control* page = page_of(*binding.control);
  std::vector<const Binding*> on_page;
  for (const Binding* b : declared.bindings()) {
    if (page != nullptr && page_of(*b->control) == page) on_page.push_back(b);
  }
  return on_page;
}

}  // namespace quorvane
