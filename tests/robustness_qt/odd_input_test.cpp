// Odd input through the real widgets, then "Save & Quit": characters Windows-1252 has no byte
// for, pasted line breaks, a 10,000-character path, every field emptied, and fields that show
// every byte a file can hold. Whatever the user did, the file written is whole and reads back to
// exactly the values the window held.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "front_ends/qt/cp1252.h"
#include "front_ends/qt/qt_view.h"
#include "front_ends/qt/qt_window_system.h"
#include "panels/bindings.h"
#include "panels/registry.h"
#include "recording_window_system.h"
#include "robustness/odd_files.h"
#include "robustness/support.h"
#include "settings/config_file.h"
#include "settings_table_printer.h"
#include "shell/main_window.h"

namespace quorvane::robustness {
namespace {

// The real window system, with message boxes recorded instead of shown and every chooser
// cancelled, so that no real dialog waits for a user here.
struct RecordingWindowSystem : quorvane::testing::RecordingWindowSystem<QtWindowSystem> {
  RecordingWindowSystem() { opacity_supported = false; }
};

struct Panel {
  std::string_view image;
  int flip_label;  // the label that shows its second page, or -1
  std::vector<const Binding*> bindings;
};

// The settings panels, as a user reaches them.
std::vector<Panel> panels(const Declarations& declared) {
  std::vector<Panel> found;
  for (const PanelEntry& entry : panel_registry()) {
    std::vector<const Binding*> bindings = declared.panel_bindings(entry.number);
    if (bindings.empty()) continue;
    int flip = -1;
    for (const PageFlip& f : declared.flips()) {
      if (f.panel == entry.number && f.direction == Flip::ShowsSubPage) flip = f.label->index();
    }
    found.push_back({entry.nav.name, flip, std::move(bindings)});
  }
  return found;
}

// A setting shown as free text, and the line edit the user types it into.
struct Field {
  Row row;
  const Control* control;
  const Panel* panel;
};

bool whole_file(const std::string& text) {
  return std::count(text.begin(), text.end(), '\n') == 612 &&
         std::count(text.begin(), text.end(), '\r') == 612 && text.ends_with("\r\n");
}

class WindowInput : public ::testing::Test {
 protected:
  TempFolder folder;
  RecordingWindowSystem ws;
  MainWindow main{folder.str(), ws};
  const std::vector<Panel> all_panels = panels(main.declared());
  std::unique_ptr<QtView> view;

  void start() {
    main.Form_Load();
    view = std::make_unique<QtView>(main.form(), ws, main.view_events());
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
  }

  // Every text-bound setting whose control the user can type into.
  std::vector<Field> fields() {
    std::vector<Field> found;
    for (const Panel& panel : all_panels) {
      for (const Binding* b : panel.bindings) {
        if (!std::holds_alternative<codec::Text>(b->codec)) continue;
        const Control& c = *b->control;
        if (edit_of(c) != nullptr) found.push_back({b->row, &c, &panel});
      }
    }
    return found;
  }

  QLineEdit* edit_of(const Control& c) const {
    QWidget* w = view->widget(c);
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->lineEdit();
    return qobject_cast<QLineEdit*>(w);
  }

  // Opens the field's panel, and its second page if the field is there, as a user would.
  QLineEdit* reach(const Field& field) {
    QLineEdit* edit = edit_of(*field.control);
    if (!edit->isVisible()) {
      QTest::mouseClick(view->widget(field.panel->image), Qt::LeftButton);
      if (!edit->isVisible() && field.panel->flip_label >= 0) {
        QTest::mouseClick(view->widget("lblvideo_1", field.panel->flip_label), Qt::LeftButton);
      }
    }
    EXPECT_TRUE(edit->isVisible()) << field.control->display_name();
    edit->setFocus();
    return edit;
  }

  // A VOZ.INI in which every setting holds `value`.
  void write_every_setting(const std::string& value) {
    SettingsTable table;
    for (Row row : kAllRows) {
      if (!SettingsTable::is_section_row(row)) table.set_value(row, value);
    }
    write_bytes(folder / "VOZ.INI", build_config_text(table));
  }

  static void paste(QLineEdit* edit, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    edit->selectAll();
    edit->paste();
  }

  static void type(QLineEdit* edit, const QString& text) {
    edit->end(false);
    for (qsizetype i = 0; i < text.size(); ++i) {
      QString one(text[i]);
      if (text[i].isHighSurrogate() && i + 1 < text.size()) one.append(text[++i]);
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, one);
      QApplication::sendEvent(edit, &press);
      QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, one);
      QApplication::sendEvent(edit, &release);
    }
  }

  // Clicks "Save & Quit" and checks that the file is whole and holds exactly the window's values.
  void save_and_check() {
    QTest::mouseClick(view->widget("imgsave"), Qt::LeftButton);
    EXPECT_TRUE(ws.messages.empty()) << ws.messages.front();
    EXPECT_TRUE(ws.ended()) << "the save did not go through to the close";
    const std::string saved = read_bytes(folder / "VOZ.INI");
    EXPECT_TRUE(whole_file(saved));
    EXPECT_TRUE(saved == build_config_text(main.table()));
    SettingsTable back;
    parse_config_text(saved, back);
    for (Row row : kAllRows) {
      EXPECT_TRUE(back.value(row) == main.table().value(row)) << "row " << row;
    }
  }
};

TEST_F(WindowInput, CharactersWithoutAByteAndPastedLineBreaksNeverReachTheFile) {
  start();
  const auto all = fields();
  ASSERT_GE(all.size(), 20u);
  // Pasted: a character outside Windows-1252, every kind of line break, one that needs two
  // UTF-16 units; then typed: two more that have no byte.
  const QString pasted = QString::fromUtf8("x=\u0100[\u00e9]\r\n;\u20ac\U0001F600\u6f22\u2028y\n");
  const std::string expected = "x=[\xe9];\x80y!";
  for (const Field& field : all) {
    QLineEdit* edit = reach(field);
    paste(edit, pasted);
    type(edit, QString::fromUtf8("\u03a9\u2192!"));
    EXPECT_EQ(field.control->text(), expected) << field.control->display_name();
  }
  save_and_check();
  for (const Field& field : all) EXPECT_EQ(main.table().value(field.row), expected) << field.row;
  std::printf("[figures] odd characters pasted and typed into %zu fields\n", all.size());
}

TEST_F(WindowInput, ATenThousandCharacterPathIsKeptWhole) {
  start();
  QString path = QString::fromUtf8("C:\\Jeux\\PC-Engine\\");
  while (path.size() < 10000) path += QString::fromUtf8("d\u00e9p\u00f4t\\");
  path.truncate(10000);
  const std::string bytes = cp1252::encode(path);
  ASSERT_EQ(bytes.size(), 10000u);
  const auto all = fields();
  for (const Field& field : all) paste(reach(field), path);
  save_and_check();
  for (const Field& field : all) EXPECT_TRUE(main.table().value(field.row) == bytes) << field.row;
}

TEST_F(WindowInput, EveryFieldEmptied) {
  write_every_setting("something");
  start();
  // Every field there is, coded ones included, page by page as a user would go.
  int emptied = 0;
  const auto empty_visible_fields = [&] {
    for (const auto& control : main.form().controls()) {
      QLineEdit* edit = edit_of(*control);
      if (edit == nullptr || !edit->isVisible() || edit->text().isEmpty()) continue;
      edit->setFocus();
      edit->selectAll();
      QTest::keyClick(edit, Qt::Key_Delete);
      EXPECT_EQ(control->text(), "") << control->display_name();
      ++emptied;
    }
  };
  for (const Panel& panel : all_panels) {
    QTest::mouseClick(view->widget(panel.image), Qt::LeftButton);
    empty_visible_fields();
    if (panel.flip_label >= 0) {
      QTest::mouseClick(view->widget("lblvideo_1", panel.flip_label), Qt::LeftButton);
      empty_visible_fields();
    }
  }
  EXPECT_GE(emptied, static_cast<int>(fields().size()));
  save_and_check();
  const std::string saved = read_bytes(folder / "VOZ.INI");
  for (const Field& field : fields()) {
    EXPECT_EQ(main.table().value(field.row), "") << field.row;
    const std::string line = "\r\n" + std::string(SettingsTable::key(field.row)) + "\r\n";
    EXPECT_NE(saved.find(line), std::string::npos) << line;
  }
  std::printf("[figures] fields emptied: %d\n", emptied);
}

// A file whose text settings hold every byte but CR and LF: shown, added to by typing, saved,
// and every byte that was there is still there.
TEST_F(WindowInput, FieldsShowingEveryByteKeepThemWhenTypedInto) {
  std::string every_byte;
  for (int b = 0; b < 256; ++b) {
    if (b != '\r' && b != '\n') every_byte += static_cast<char>(b);
  }
  write_every_setting(every_byte);
  start();
  const auto all = fields();
  for (const Field& field : all) {
    EXPECT_TRUE(main.table().value(field.row) == every_byte) << field.row;
    type(reach(field), "!");
    EXPECT_TRUE(field.control->text() == every_byte + "!") << field.control->display_name();
  }
  save_and_check();
  for (const Field& field : all) {
    EXPECT_TRUE(main.table().value(field.row) == every_byte + "!") << field.row;
  }
}

using Clock = std::chrono::steady_clock;
double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The odd files of the core's tests, now with the window on screen: it appears within a few
// seconds, every panel and page can be visited, and the save writes a whole file.
TEST(OddFilesInTheWindow, StartVisitEveryPanelAndSave) {
  for (const OddFile& odd : odd_files()) {
    SCOPED_TRACE(odd.name);
    TempFolder folder;
    write_bytes(folder / "VOZ.INI", odd.bytes);
    RecordingWindowSystem ws;
    MainWindow main(folder.str(), ws);

    const auto start = Clock::now();
    main.Form_Load();
    QtView view(main.form(), ws, main.view_events());
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.window()));
    const double shown = seconds_since(start);
    EXPECT_LT(shown, 5.0);

    const auto visit_start = Clock::now();
    for (const Panel& panel : panels(main.declared())) {
      QTest::mouseClick(view.widget(panel.image), Qt::LeftButton);
      if (panel.flip_label >= 0) {
        QTest::mouseClick(view.widget("lblvideo_1", panel.flip_label), Qt::LeftButton);
      }
    }
    auto* frequency = qobject_cast<QComboBox*>(view.widget("com_sound_fre"));
    ASSERT_NE(frequency, nullptr);
    EXPECT_EQ(frequency->currentText().toStdString(), odd.frequency);
    EXPECT_TRUE(main.table().value(row::config_path) == odd.config_path)
        << "the path did not survive the visit";
    const auto bindings = main.declared().bindings();
    const auto config = std::find_if(bindings.begin(), bindings.end(),
                                     [](const Binding* b) { return b->row == row::config_path; });
    ASSERT_NE(config, bindings.end());
    auto* config_edit = qobject_cast<QLineEdit*>(view.widget(*(*config)->control));
    ASSERT_NE(config_edit, nullptr);
    EXPECT_TRUE(config_edit->text() == cp1252::decode(odd.config_path)) << "shown cut short";

    QTest::mouseClick(view.widget("imgsave"), Qt::LeftButton);
    const double visit_and_save = seconds_since(visit_start);
    EXPECT_TRUE(ws.messages.empty());
    const std::string saved = read_bytes(folder / "VOZ.INI");
    EXPECT_TRUE(whole_file(saved));
    EXPECT_TRUE(saved == build_config_text(main.table()));
    std::printf(
        "[figures] window on %-32s shown in %.3f s; all panels visited and saved in %.3f s\n",
        odd.name.c_str(), shown, visit_and_save);
  }
}

}  // namespace
}  // namespace quorvane::robustness
