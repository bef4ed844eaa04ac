// What only the native view has: its display scales and font families, the system's choosers,
// the layered window of the fade, combo boxes as Active Accessibility reads them, a field's own
// menu entries, Enter on a browse button. The view suite (tests/view/) holds the rest. Real
// windows under Wine (or Windows), driven with the messages that mouse and keyboard input become.

#include "front_ends/win32/win32_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "front_ends/win32/fonts.h"
#include "front_ends/win32/text.h"
#include "model/front_end.h"
#include "shell/form_layout.h"
#include "shell/main_window.h"
#include "test_support.h"
#include "view_suite.h"
#include "win32_driver.h"
#include "win32_input.h"

namespace quorvane::testing {
namespace {

using win32::from_model;
using win32::Win32View;

// The window through the driver, and the native view itself for what only it has.
class Win32ViewTest : public ViewTest {
 protected:
  Win32View& native() { return native_view(*view); }
  HWND widget(const char* name, int index = -1) { return native().widget(name, index); }
  // Where a control is, with a window of its own or drawn by its container.
  Spot spot(const char* name, int index = -1) { return native().spot(at(name, index)); }
  bool on_screen(const char* name, int index = -1) { return IsWindowVisible(widget(name, index)); }
};

// The fade lowers the opacity of a layered window; preparing for it makes the window one at once.
TEST_F(Win32ViewTest, TheFadeMakesTheWindowLayered) {
  ws.opacity_supported = true;
  ::quorvane::testing::click(spot("imgcerrar"));
  EXPECT_NE(GetWindowLongPtrW(native().window(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  EXPECT_FALSE(ws.ended());
}

// Narrowed or made smaller to fit (tests/view checks that they fit), captions keep the family
// that stands in for their own, at every scale.
TEST_F(Win32ViewTest, FittedCaptionsKeepTheirFamilyAtEveryScale) {
  for (int dpi : {96, 120, 144, 192}) {
    native().set_dpi(dpi);
    for (const auto& control : main.form().controls()) {
      if (control->caption().empty() || control->kind() != Kind::Label) continue;
      HWND w = native().spot(*control).window;
      HFONT font = native().font(*control);
      if (w == nullptr || font == nullptr) continue;
      HDC dc = GetDC(w);
      HGDIOBJ old = SelectObject(dc, font);
      wchar_t face[LF_FACESIZE] = {};
      GetTextFaceW(dc, LF_FACESIZE, face);
      SelectObject(dc, old);
      ReleaseDC(w, dc);
      EXPECT_EQ(std::wstring(face), win32::Fonts::resolve_family(control->font.family))
          << control->display_name() << " at " << dpi << " dpi";
    }
  }
}

// The mean length of the runs of dark pixels along the rows of what `draw` puts on a white
// canvas: the width of the strokes, about one pixel for a regular face at 96 dpi.
double stroke_width(SIZE size, const std::function<void(HDC, const RECT&)>& draw) {
  Canvas canvas(size.cx, size.cy);
  const RECT area{0, 0, size.cx, size.cy};
  FillRect(canvas.dc(), &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  draw(canvas.dc(), area);
  long runs = 0;
  long dark = 0;
  for (int y = 0; y < size.cy; ++y) {
    int run = 0;
    for (int x = 0; x <= size.cx; ++x) {
      if (x < size.cx && canvas.dark(x, y)) {
        ++run;
        ++dark;
      } else if (run > 0) {
        ++runs;
        run = 0;
      }
    }
  }
  return runs == 0 ? 0.0 : static_cast<double>(dark) / static_cast<double>(runs);
}

// A caption the layout makes bold has strokes clearly wider than the same caption in the regular
// face at the same height, whether it was narrowed to fit or not, at 100, 150 and 200 %.
TEST_F(Win32ViewTest, BoldCaptionsAreDrawnBoldAtEveryScale) {
  int measured = 0;
  for (int dpi : {96, 144, 192}) {
    native().set_dpi(dpi);
    for (int panel : {-1, 0}) {  // the intro page, then the emulation panel's headings
      if (panel >= 0) main.show_panel(panel);
      native().sync();
      for (const auto& control : main.form().controls()) {
        const Control& c = *control;
        if (c.kind() != Kind::Label || !c.font.bold || c.caption().empty() ||
            !main.form().on_screen(c)) {
          continue;
        }
        // The caption as it is drawn where it stands: by itself, or in its container's picture.
        const Spot label = native().spot(c);
        const RECT box{0, 0, label.area.right - label.area.left,
                       label.area.bottom - label.area.top};
        const double drawn = stroke_width({box.right, box.bottom}, [&](HDC dc, const RECT&) {
          SetViewportOrgEx(dc, -label.area.left, -label.area.top, nullptr);
          SendMessageW(label.window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
                       PRF_CLIENT | PRF_ERASEBKGND);
          SetViewportOrgEx(dc, 0, 0, nullptr);
        });
        LOGFONTW regular{};
        GetObjectW(native().font(c), sizeof regular, &regular);
        regular.lfWeight = FW_NORMAL;
        regular.lfWidth = 0;
        HFONT font = CreateFontIndirectW(&regular);
        const std::wstring text = from_model(c.caption());
        const double thin = stroke_width({box.right, box.bottom}, [&](HDC dc, const RECT& area) {
          HGDIOBJ old = SelectObject(dc, font);
          SetBkMode(dc, TRANSPARENT);
          RECT r = area;
          DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_NOPREFIX);
          SelectObject(dc, old);
        });
        DeleteObject(font);
        EXPECT_GE(drawn, thin * 1.25)
            << c.display_name() << " \"" << c.caption() << "\" at " << dpi << " dpi";
        ++measured;
      }
    }
  }
  EXPECT_GE(measured, 15) << "the title, the headings, the labels of a page, at three scales";
}

// The rows of `hwnd`'s window, as on screen, that hold dark pixels in its left half, the edges
// (borders) left out: first and last, counted from the window's top. {-1, -1} for none.
std::pair<int, int> ink_rows(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  Canvas canvas(r.right - r.left, r.bottom - r.top);
  HDC window = GetWindowDC(hwnd);
  BitBlt(canvas.dc(), 0, 0, canvas.width(), canvas.height(), window, 0, 0, SRCCOPY);
  ReleaseDC(hwnd, window);
  std::pair<int, int> rows{-1, -1};
  constexpr int kEdge = 3;
  for (int y = kEdge; y < canvas.height() - kEdge; ++y) {
    for (int x = kEdge + 1; x < canvas.width() / 2; ++x) {
      if (canvas.dark(x, y)) {
        if (rows.first < 0) rows.first = y;
        rows.second = y;
        break;
      }
    }
  }
  return rows;
}

// The digits of a text box and of an editable combo sit in the middle of the field, as far from
// its top as from its bottom within a pixel or two (the line's leading), at 100, 150 and 200 %.
TEST_F(Win32ViewTest, FieldTextIsCentredInItsBoxAtEveryScale) {
  for (int dpi : {96, 144, 192}) {
    native().set_dpi(dpi);
    // The whole window on the screen, where its pixels can be read back.
    SetWindowPos(native().window(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    main.show_panel(2);
    native().sync();
    retype(widget("txt_sound_delay"), L"8080");
    for (const char* name : {"txt_sound_delay", "com_sound_fre"}) {
      HWND field = widget(name);
      RedrawWindow(native().window(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
      RECT r{};
      GetWindowRect(field, &r);
      const auto [top, bottom] = ink_rows(field);
      ASSERT_GE(top, 0) << name << " at " << dpi << " dpi shows no text";
      const int above = top;
      const int below = (r.bottom - r.top) - 1 - bottom;
      EXPECT_LE(std::abs(above - below), 2) << name << " at " << dpi << " dpi: " << above
                                            << " rows above the text, " << below << " below";
    }
  }
}

TEST_F(Win32ViewTest, AtAnotherScaleEverythingGrowsWithIt) {
  native().set_dpi(144);
  RECT window{};
  GetWindowRect(native().window(), &window);
  EXPECT_EQ(window.right - window.left, 620);
  EXPECT_EQ(window.bottom - window.top, 498);
  const RECT about = rect_in_parent(spot("imgabout"));
  EXPECT_EQ(about.right - about.left, 48) << "32 pixels at 150 %";
  EXPECT_EQ(about.left,
            front_end::place(at("imgabout").rect(), front_end::Placement{15, 315}, 144).x);
  // Fonts follow: the same caption takes about half as much room again.
  HFONT font = native().font(at("Label1"));
  LOGFONTW info{};
  GetObjectW(font, sizeof info, &info);
  EXPECT_LE(info.lfHeight, -15) << "8.25 pt at 144 dpi is about 16 pixels";
}

TEST_F(Win32ViewTest, AMoveToAScreenOfAnotherScaleLaysTheWindowOutAgain) {
  // What the system sends when the window reaches a screen at 200 %: the new DPI and where the
  // window should go.
  RECT suggested{100, 50, 100 + 826, 50 + 664};
  SendMessageW(native().window(), WM_DPICHANGED, MAKEWPARAM(192, 192),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(native().dpi(), 192);
  RECT window{};
  GetWindowRect(native().window(), &window);
  EXPECT_EQ(window.left, 100);
  EXPECT_EQ(window.top, 50);
  EXPECT_EQ(window.right - window.left, 826);
  EXPECT_EQ(window.bottom - window.top, 664);
  const RECT about = rect_in_parent(spot("imgabout"));
  EXPECT_EQ(about.right - about.left, 64);
  // A page first shown after the move is made at the new scale too.
  main.show_panel(1);
  native().sync();
  const RECT box = rect_in_parent(widget("ch_global", 0));
  EXPECT_EQ(box.right - box.left, front_end::to_pixels(975, 192));
}

// Over Active Accessibility an editable combo box is named as its field is; and every control
// of every page reads as the model says.
TEST_F(Win32ViewTest, EveryControlOfEveryPageIsNamedAsTheModelSays) {
  main.show_panel(2);
  native().sync();
  EXPECT_EQ(read_as_screen_reader(widget("com_sound_fre")).name, L"Frequency");
  // What each is, whether or not the host's own objects know the classes (Wine's do not).
  EXPECT_EQ(read_as_screen_reader(widget("com_sound_fre")).role, ROLE_SYSTEM_COMBOBOX);

  // Every control of every page and sub-page says what the model says: the drive lists and
  // browse buttons too, named after the setting they serve.
  std::vector<std::string> named;
  const auto read_page = [&] {
    for (const Control* c : focus_order(main.form())) {
      if (!main.form().on_screen(*c) || c->accessible_name.empty()) continue;
      const Spot where = native().spot(*c);
      const Read read =
          read_as_screen_reader(where.own ? Spot{focus_target(where.window), {}, true} : where);
      EXPECT_EQ(read.name, from_model(c->accessible_name)) << c->display_name();
      const std::u16string description = ViewCore::description_text(*c);
      EXPECT_EQ(read.description, std::wstring(description.begin(), description.end()))
          << c->display_name();
      const long expected_role = c->kind() == Kind::Button      ? ROLE_SYSTEM_PUSHBUTTON
                                 : c->kind() == Kind::DriveList ? ROLE_SYSTEM_COMBOBOX
                                 : c->kind() == Kind::TextBox   ? ROLE_SYSTEM_TEXT
                                                                : 0;
      if (expected_role != 0) {
        EXPECT_EQ(read.role, expected_role) << c->display_name();
      }
      named.push_back(c->display_name());
    }
  };
  for (int panel = 0; panel <= 5; ++panel) {
    main.show_panel(panel);
    native().sync();
    read_page();
  }
  for (int flip : {51, 20}) {  // the second pages of the emulation and video panels
    main.show_panel(flip == 51 ? 0 : 1);
    native().sync();
    ::quorvane::testing::click(spot("lblvideo_1", flip));
    read_page();
  }
  EXPECT_GE(named.size(), 62u) << "a name for every setting";
  for (const char* served : {"Dri_panel_list", "cmd_panel_b_saved"}) {
    EXPECT_NE(std::find(named.begin(), named.end(), served), named.end()) << served;
  }
}

class MenuTest : public Win32ViewTest {
 protected:
  std::vector<MenuItem> shown;
  POINT shown_at{};
  int menus = 0;
  std::size_t pick = 0;  // the entry to choose, counted from 1; 0 chooses none

  void SetUp() override {
    Win32ViewTest::SetUp();
    native().set_menu_tracker([this](HMENU menu, POINT at, HWND) -> UINT {
      ++menus;
      shown = menu_items(menu);
      shown_at = at;
      return pick >= 1 && pick <= shown.size() ? shown[pick - 1].id : 0;
    });
  }
  // A right click over the window, as the system reports it.
  void right_click(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd),
                 MAKELPARAM(r.left + 3, r.top + 3));
  }
};

// Below a separator, a native field's own entries, enabled as the field would enable them, which
// work on it as its own menu's do.
TEST_F(MenuTest, AFieldsOwnEntriesFollowEnabledAsTheFieldWouldEnableThem) {
  main.show_panel(2);
  native().sync();
  HWND delay = widget("txt_sound_delay");
  retype(delay, L"25");
  pick = 0;
  SetFocus(delay);
  SendMessageW(delay, EM_SETSEL, 0, 0);
  right_click(delay);
  ASSERT_EQ(menus, 1);
  ASSERT_GE(shown.size(), 13u);
  std::vector<std::wstring> captions;
  for (const MenuItem& e : shown) captions.push_back(e.caption);
  EXPECT_EQ(captions,
            (std::vector<std::wstring>{shown[0].caption, shown[1].caption, shown[2].caption,
                                       shown[3].caption, L"", L"&Undo", L"", L"Cu&t", L"&Copy",
                                       L"&Paste", L"&Delete", L"", L"Select &All"}));
  EXPECT_FALSE(shown[7].enabled) << "nothing selected to cut";
  EXPECT_TRUE(shown[12].enabled);
  pick = 13;  // Select All: the field does it
  right_click(delay);
  DWORD start = 1;
  DWORD end = 0;
  SendMessageW(delay, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, static_cast<DWORD>(text_of(delay).size()));
  pick = 0;
  right_click(delay);
  EXPECT_TRUE(shown[7].enabled) << "now there is";
}

TEST_F(MenuTest, ARightClickedFieldTakesTheFocusAsTheSystemsOwnMenuWouldGiveIt) {
  main.show_panel(2);
  native().sync();
  HWND delay = widget("txt_sound_delay");
  retype(delay, L"25");
  HWND combo_field = edit_of(widget("com_sound_fre"));
  // Elsewhere when the click comes: a field whose selection is hidden would show no sign of
  // Select All, and what is typed next would not go into it.
  for (HWND field : {delay, combo_field}) {
    native().focus(at("imgsonido"));
    pick = 0;
    right_click(field);
    pick = shown.size();  // Select All, the last entry
    right_click(field);
    EXPECT_EQ(GetFocus(), field);
    DWORD start = 1;
    DWORD end = 0;
    SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, static_cast<DWORD>(text_of(field).size()));
  }
  // A check box keeps the focus where it was, as its own right click does.
  native().focus(at("imgsonido"));
  pick = 0;
  right_click(widget("ch_global", 14));
  EXPECT_EQ(native().focused(), &at("imgsonido"));
}

TEST_F(MenuTest, AMenuFromTheKeyboardComesUpOnceUnderItsControl) {
  main.show_panel(2);
  native().sync();
  HWND sound = widget("ch_global", 14);
  SetFocus(sound);
  press(ws, VK_APPS);
  ASSERT_EQ(menus, 1) << "one menu, not a second one on the key's release";
  RECT r{};
  GetWindowRect(sound, &r);
  EXPECT_EQ(shown_at.x, r.left);
  EXPECT_EQ(shown_at.y, r.bottom);
  SetFocus(edit_of(widget("com_sound_fre")));
  press(ws, VK_F10, true);
  EXPECT_EQ(menus, 2);
}

// Any path a Windows chooser gives is one the emulator can read: it lands in its box as chosen,
// and the next chooser starts there. Enter presses a browse button, as in the system's dialogs.
TEST_F(Win32ViewTest, AChosenPathLandsInItsBoxAndTheNextChooserStartsThere) {
  main.show_panel(0);
  native().sync();
  ::quorvane::testing::click(spot("lblvideo_1", 51));
  HWND box = widget("txt_panel_b_card1");
  HWND button = widget("cmd_panel_b_card1");
  fs::create_directories(folder / "Cartes");
  const fs::path card = folder / "Cartes" / "syscard3.pce";
  folder.write("Cartes/syscard3.pce", "");
  const std::string chosen = win32::to_utf8(card.wstring());
  ws.chosen = chosen;
  SetFocus(button);
  press(ws, VK_SPACE);  // the button's own key
  ASSERT_EQ(ws.choices.size(), 1u);
  EXPECT_EQ(at("txt_panel_b_card1").text(), win32::utf8_to_model(chosen)) << "as chosen";
  EXPECT_EQ(text_of(box), card.wstring());
  // Opened again, it starts at the path in the box; cancelled, it leaves the box alone.
  ws.chosen.reset();
  SendMessageW(button, BM_CLICK, 0, 0);
  ASSERT_EQ(ws.choices.size(), 2u);
  EXPECT_EQ(fs::path(ws.choices[1].start), card);
  EXPECT_EQ(text_of(box), card.wstring());
  // Enter presses it as Space does, as in the system's dialogs, and the keyboard stays on it.
  SetFocus(button);
  press(ws, VK_RETURN);
  EXPECT_EQ(ws.choices.size(), 3u);
  EXPECT_EQ(GetFocus(), button);
  EXPECT_TRUE(ws.messages.empty());
}

// Answers the next dialog box of this thread that appears: types `name` into its file name
// field when one is given, then presses `button`.
struct DialogAnswer {
  static inline std::wstring name;
  static inline int button = IDCANCEL;
  static inline std::wstring title;
  static inline bool answered = false;

  static void arm(std::wstring n, int b) {
    name = std::move(n);
    button = b;
    title.clear();
    answered = false;
    SetTimer(nullptr, 0, 300, tick);
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = find_window(L"#32770", nullptr, [](HWND w) { return IsWindowVisible(w) != 0; });
    if (dialog == nullptr || answered) return;
    KillTimer(nullptr, id);
    answered = true;
    title = text_of(dialog);
    if (!name.empty()) {
      // The file name box: the dialog's first edit field that can be typed into.
      HWND field = find_window(L"Edit", dialog, [](HWND w) { return IsWindowVisible(w) != 0; });
      if (field != nullptr) SetWindowTextW(field, name.c_str());
    }
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  }
};

TEST_F(Win32ViewTest, TheSystemsChooserOpensAtTheBoxsPathAndGivesTheChosenFile) {
  folder.write("syscard1.pce", "");
  folder.write("syscard2.pce", "");
  const fs::path second = folder / "syscard2.pce";
  DialogAnswer::arm(L"", IDCANCEL);
  EXPECT_EQ(ws.Win32WindowSystem::choose_file("System card 1", folder.str(),
                                              {{"PC-Engine images", {"*.pce"}}}),
            std::nullopt)
      << "cancelled";
  EXPECT_TRUE(DialogAnswer::answered);
  EXPECT_EQ(DialogAnswer::title, L"System card 1");
  EXPECT_TRUE(ws.messages.empty()) << ws.messages.front();

  // Opened at a file, it has that file chosen already.
  DialogAnswer::arm(L"", IDOK);
  EXPECT_EQ(ws.Win32WindowSystem::choose_file("System card 1", (folder / "syscard1.pce").string(),
                                              {{"PC-Engine images", {"*.pce"}}}),
            std::optional<std::string>(win32::to_utf8((folder / "syscard1.pce").wstring())));

  DialogAnswer::arm(second.wstring(), IDOK);
  const std::optional<std::string> chosen = ws.Win32WindowSystem::choose_file(
      "System card 1", (folder / "syscard1.pce").string(), {{"PC-Engine images", {"*.pce"}}});
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(fs::path(win32::from_utf8(*chosen)), second);

  DialogAnswer::arm(L"", IDCANCEL);
  EXPECT_EQ(ws.Win32WindowSystem::choose_folder("Saved games", folder.str()), std::nullopt);
  EXPECT_TRUE(DialogAnswer::answered);
  fs::create_directories(folder / "Saves");
  DialogAnswer::arm((folder / "Saves").wstring(), IDOK);
  const std::optional<std::string> saves =
      ws.Win32WindowSystem::choose_folder("Saved games", folder.str());
  ASSERT_TRUE(saves.has_value());
  EXPECT_EQ(fs::path(win32::from_utf8(*saves)), folder / "Saves");
}

TEST_F(Win32ViewTest, TheFocusComesBackToTheControlItLeftForAChooserOrAMessage) {
  main.show_panel(0);
  native().sync();
  ::quorvane::testing::click(spot("lblvideo_1", 51));
  HWND button = widget("cmd_panel_b_card1");
  ws.real_choosers = true;
  SetActiveWindow(native().window());
  SetFocus(button);
  ASSERT_EQ(GetFocus(), button);
  DialogAnswer::arm(L"", IDCANCEL);
  SendMessageW(button, BM_CLICK, 0, 0);  // the real chooser, modal to the window
  EXPECT_TRUE(DialogAnswer::answered);
  EXPECT_EQ(GetFocus(), button) << "so that Tab goes on from the browse button";

  // The same when another window took the activation and gives it back.
  HWND box = widget("txt_panel_b_card2");
  SetFocus(box);
  DialogAnswer::arm(L"", IDOK);
  ws.Win32WindowSystem::show_message(MessageKind::Warning, "Quorvane", "A message");
  EXPECT_TRUE(DialogAnswer::answered);
  EXPECT_EQ(GetFocus(), box);
}

TEST_F(Win32ViewTest, WithoutTheOpenDialogObjectTheClassicChoosersDoTheSame) {
  ws.use_classic_choosers(true);  // as on Windows before Vista
  folder.write("syscard1.pce", "");
  fs::create_directories(folder / "Saves");
  DialogAnswer::arm(L"", IDOK);
  EXPECT_EQ(ws.Win32WindowSystem::choose_file("System card 1", (folder / "syscard1.pce").string(),
                                              {{"PC-Engine images", {"*.pce"}}}),
            std::optional<std::string>(win32::to_utf8((folder / "syscard1.pce").wstring())))
      << "opened at the file, which is chosen already";
  EXPECT_EQ(DialogAnswer::title, L"System card 1");
  DialogAnswer::arm(L"", IDCANCEL);
  EXPECT_EQ(ws.Win32WindowSystem::choose_file("System card 1", folder.str(), {}), std::nullopt);
  EXPECT_TRUE(DialogAnswer::answered);
  DialogAnswer::arm(L"", IDOK);
  const std::optional<std::string> saves =
      ws.Win32WindowSystem::choose_folder("Saved games", (folder / "Saves").string());
  ASSERT_TRUE(saves.has_value()) << "opened at the box's folder, which is chosen already";
  EXPECT_EQ(fs::path(win32::from_utf8(*saves)), folder / "Saves");
  EXPECT_TRUE(ws.messages.empty());
}

TEST(WindowSystemText, ModelTextIsWindows1252AndRefusesWhatItCannotHold) {
  Win32WindowSystem ws;
  EXPECT_EQ(ws.to_model_text("C:\\Jeux\\Caf\xC3\xA9 \xE2\x82\xAC"),
            std::optional<std::string>("C:\\Jeux\\Caf\xE9 \x80"));
  EXPECT_EQ(ws.to_model_text("\xC4\x81"), std::nullopt) << "a with macron";
  EXPECT_EQ(ws.to_model_text("ok \xF0\x9F\x98\x80"), std::nullopt) << "outside the BMP";
  EXPECT_EQ(ws.from_model_text("Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");
}

// A native editable combo box is two windows: the mouse over its field is over the field's own
// tool, which carries the combo box's help.
TEST_F(Win32ViewTest, TheMouseOverAnEditableCombosFieldShowsItsHelp) {
  main.show_panel(2);
  native().sync();
  EXPECT_EQ(tooltip_of(edit_of(widget("com_sound_fre")), widget("com_sound_fre")),
            from_model(at("com_sound_fre").tooltip));
}

// The help of a field and the note that it refused a character are two tips at one place: the
// note, which answers what the user just did, is not hidden under the help.
TEST_F(Win32ViewTest, TheRefusalNoteTakesThePlaceOfTheFieldsHelp) {
  click("imgpanel");
  const Control& list = at("txt_panel_list");
  HWND field = widget("txt_panel_list");
  RECT box{};
  GetWindowRect(field, &box);
  SetCursorPos((box.left + box.right) / 2, (box.top + box.bottom) / 2);
  SendMessageW(field, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  HWND help = tooltip_window(native().window(), false);
  ASSERT_NE(help, nullptr);
  // The pointer rests on the field until its help comes up.
  SendMessageW(help, TTM_SETDELAYTIME, TTDT_INITIAL, 10);
  SendMessageW(field, WM_MOUSEMOVE, 0, MAKELPARAM(6, 5));
  ASSERT_TRUE(view->wait_until([&] { return IsWindowVisible(help) != FALSE; }, 2000))
      << "the help never came up";
  view->type(list, u"\u2192");
  view->wait(100);
  EXPECT_TRUE(contains(view->refusal(), u"\u201C\u2192\u201D"));
  EXPECT_FALSE(IsWindowVisible(help)) << "the help covers the note";
}

// A picture as a 32-bit .bmp file, for scripts/screenshots-windows.sh to keep.
void save_bmp(const Pixels& picture, const char* file) {
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = picture.width;
  info.biHeight = -picture.height;  // top-down
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  const DWORD bytes = static_cast<DWORD>(picture.rgb.size() * 4);
  BITMAPFILEHEADER head{};
  head.bfType = 0x4D42;  // "BM"
  head.bfOffBits = sizeof head + sizeof info;
  head.bfSize = head.bfOffBits + bytes;
  std::FILE* out = std::fopen(file, "wb");
  ASSERT_NE(out, nullptr) << file;
  std::fwrite(&head, sizeof head, 1, out);
  std::fwrite(&info, sizeof info, 1, out);
  std::fwrite(picture.rgb.data(), 4, picture.rgb.size(), out);
  std::fclose(out);
}

// Under a high-contrast theme (a test gives the view one: Wine has none to switch on), text and
// surfaces take the system's colours; artwork keeps its own, on the background it was drawn for.
TEST_F(Win32ViewTest, AHighContrastThemeDrawsTextAndSurfacesInTheSystemsColours) {
  native().set_appearance(Appearance{true, SystemColours{0x000000, 0xFFFFFF}});
  click("picpantalla");
  view->wait(100);
  const Pixels window = view->pixels(main.form().root());
  ASSERT_GT(window.width, 0);
  if (const char* file = std::getenv("QUORVANE_HIGH_CONTRAST_SHOT")) save_bmp(window, file);

  // The title on the plain background of the theme, in its text colour.
  const Rect bar = view->geometry(at("picbarraalta"));
  const Rect title = view->geometry(at("Label1"));
  EXPECT_EQ(window.at(title.right() + 20, bar.y + bar.height / 2), 0x000000u);
  int white = 0;
  for (int x = title.x; x < title.right(); ++x) {
    for (int y = title.y; y < title.bottom(); ++y) white += window.at(x, y) == 0xFFFFFF ? 1 : 0;
  }
  EXPECT_GT(white, 20) << "the title is not drawn in the theme's text colour";
  // A page's surface is the theme's; an image stands on its own plate.
  const Rect page = view->geometry(at("pic_video"));
  EXPECT_EQ(window.at(page.right() - 3, page.bottom() - 3), 0x000000u);
  const Rect image = view->geometry(at("picpantalla"));
  bool plate = false;
  for (int x = image.x; x < image.right() && !plate; ++x)
    plate = window.at(x, image.y) == kPanelBackground;
  EXPECT_TRUE(plate) << "no plate under the artwork";

  // Back to the usual theme: the layout's own colours again.
  native().set_appearance(Appearance{});
  view->wait(100);
  const Pixels usual = view->pixels(main.form().root());
  EXPECT_EQ(usual.at(page.right() - 3, page.bottom() - 3), kPanelBackground);
}

// The windows under the main window, all of them.
std::vector<HWND> windows_in(HWND window) {
  std::vector<HWND> found;
  EnumChildWindows(
      window,
      [](HWND hwnd, LPARAM l) {
        reinterpret_cast<std::vector<HWND>*>(l)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Every window the system makes, places, clips and paints holds the start back: the pictures and
// captions are drawn by their containers, and a panel gets its window when it is first shown.
// Through their containers they still take the mouse, the keyboard and a screen reader's
// questions.
TEST_F(Win32ViewTest, PicturesCaptionsAndHiddenPanelsHaveNoWindowsOfTheirOwn) {
  EXPECT_EQ(windows_in(native().window()).size(), 3u)
      << "the title bar, the navigation bar and the intro page";
  int drawn = 0;
  for (const auto& control : main.form().controls()) {
    const Control& c = *control;
    if ((c.kind() != Kind::Image && c.kind() != Kind::Label) || !main.form().on_screen(c)) {
      continue;
    }
    const Spot where = native().spot(c);
    EXPECT_FALSE(where.own) << c.display_name();
    EXPECT_TRUE(where.drawn) << c.display_name();
    EXPECT_EQ(where.window, native().widget(*c.parent())) << c.display_name();
    ++drawn;
  }
  EXPECT_GE(drawn, 15) << "the title, the close and navigation pictures, the intro page's";

  // The keyboard on a picture: its container has the focus, and says which child has it.
  const Spot sound = spot("imgsonido");
  native().focus(at("imgsonido"));
  EXPECT_EQ(GetFocus(), sound.window);
  EXPECT_NE(read_as_screen_reader(sound).state & STATE_SYSTEM_FOCUSED, 0);
  VARIANT child{};
  IAccessible* host = accessible_of(sound, child);
  ASSERT_NE(host, nullptr);
  VARIANT focused{};
  EXPECT_EQ(host->get_accFocus(&focused), S_OK);
  EXPECT_EQ(focused.vt, VT_I4);
  EXPECT_EQ(focused.lVal, child.lVal);
  VARIANT hit{};
  POINT middle{(sound.area.left + sound.area.right) / 2, (sound.area.top + sound.area.bottom) / 2};
  ClientToScreen(sound.window, &middle);
  EXPECT_EQ(host->accHitTest(middle.x, middle.y, &hit), S_OK);
  EXPECT_EQ(hit.lVal, child.lVal) << "a reader's pointer finds it where it is drawn";
  // A reader walking the tree finds the container's own children first, then its windows, by
  // listing them and by moving from one to the next.
  long count = 0;
  ASSERT_EQ(host->get_accChildCount(&count), S_OK);
  std::vector<VARIANT> children(static_cast<std::size_t>(count));
  long listed = 0;
  ASSERT_TRUE(SUCCEEDED(AccessibleChildren(host, 0, count, children.data(), &listed)));
  EXPECT_EQ(listed, count);
  long drawn_here = 0;
  long windows = 0;
  for (VARIANT& v : children) {
    if (v.vt == VT_I4) ++drawn_here;
    if (v.vt == VT_DISPATCH) ++windows;
    VariantClear(&v);
  }
  EXPECT_GE(drawn_here, 9) << "the navigation pictures and the rule";
  EXPECT_GE(windows, 1) << "the intro page";
  EXPECT_EQ(drawn_here + windows, count);
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  VARIANT first{};
  ASSERT_EQ(host->accNavigate(NAVDIR_FIRSTCHILD, self, &first), S_OK);
  EXPECT_EQ(first.vt, VT_I4);
  EXPECT_EQ(first.lVal, 1);
  VARIANT next{};
  ASSERT_EQ(host->accNavigate(NAVDIR_NEXT, first, &next), S_OK);
  EXPECT_EQ(next.lVal, 2);
  host->Release();

  // The arrow keys go round the container's pictures, as round a dialog's group; the keyboard
  // stays where it was when the window loses and regains the activation.
  press(ws, VK_RIGHT);
  EXPECT_EQ(native().focused(), &at("imgcontrol"));
  press(ws, VK_LEFT);
  press(ws, VK_LEFT);
  EXPECT_EQ(native().focused(), &at("picpantalla"));
  SendMessageW(native().window(), WM_ACTIVATE, WA_INACTIVE, 0);
  SendMessageW(native().window(), WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(native().focused(), &at("picpantalla"));

  // A panel's window comes with its first showing, and stays.
  main.show_panel(2);
  native().sync();
  const std::size_t with_sound = windows_in(native().window()).size();
  EXPECT_GT(with_sound, 4u) << "the sound panel and its fields";
  EXPECT_TRUE(IsWindowVisible(widget("pic_sound")));
  // Its fields are children of its object, found by walking it as by their windows.
  IAccessible* panel = nullptr;
  ASSERT_TRUE(SUCCEEDED(
      AccessibleObjectFromWindow(widget("pic_sound"), static_cast<DWORD>(OBJID_CLIENT),
                                 __uuidof(IAccessible), reinterpret_cast<void**>(&panel))));
  long fields = 0;
  panel->get_accChildCount(&fields);
  std::vector<VARIANT> in_panel(static_cast<std::size_t>(fields));
  long got = 0;
  AccessibleChildren(panel, 0, fields, in_panel.data(), &got);
  long objects = 0;
  for (VARIANT& v : in_panel) {
    if (v.vt == VT_DISPATCH) ++objects;
    VariantClear(&v);
  }
  EXPECT_GE(objects, 10) << "the sound panel's check boxes, fields and lists";
  panel->Release();
  main.show_panel(kIntroPanel);
  native().sync();
  EXPECT_EQ(windows_in(native().window()).size(), with_sound);
  EXPECT_FALSE(IsWindowVisible(widget("pic_sound")));
}

// The tips are made when first needed, not with the window: the help's with the first move of the
// pointer over any part of it, the note's with the first refusal.
TEST_F(Win32ViewTest, TheTipsAreMadeWhenFirstNeeded) {
  HWND window = native().window();
  EXPECT_EQ(tooltip_window(window, false), nullptr) << "the help's tips made at start";
  EXPECT_EQ(tooltip_window(window, true), nullptr) << "the note's tip made at start";
  const Spot save = spot("imgsave");
  SendMessageW(save.window, WM_MOUSEMOVE, 0, MAKELPARAM(save.area.left + 2, save.area.top + 2));
  ASSERT_NE(tooltip_window(window, false), nullptr) << "no tips after the pointer came over";
  EXPECT_EQ(tooltip_of(save).rfind(L"Save & Quit", 0), 0u);
  EXPECT_EQ(tooltip_of(spot("picpantalla")), L"Video Settings");
  EXPECT_EQ(tooltip_window(window, true), nullptr) << "the note's tip made before a refusal";

  // A page shown after the tips were made brings its controls' tips with it.
  main.show_panel(2);
  native().sync();
  EXPECT_EQ(tooltip_of(edit_of(widget("com_sound_fre")), widget("com_sound_fre")),
            from_model(at("com_sound_fre").tooltip));
}

}  // namespace
}  // namespace quorvane::testing
