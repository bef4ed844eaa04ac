// The native view under Wine (or Windows): real controls over the real window, driven with the
// messages that mouse and keyboard input become.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "front_ends/win32/fonts.h"
#include "front_ends/win32/text.h"
#include "front_ends/win32/win.h"
#include "front_ends/win32/win32_view.h"
#include "front_ends/win32/win32_window_system.h"
#include "model/front_end.h"
#include "shell/form_layout.h"
#include "shell/main_window.h"
#include "test_support.h"

// After windows.h, which they need.
#include <commctrl.h>
#include <oleacc.h>

namespace quorvane::testing {
namespace {

using win32::from_model;
using win32::Win32View;
using win32::Win32WindowSystem;

// The real window system, except for what would leave the test or wait for a person: message
// boxes and questions are recorded instead of shown, links are not followed, and a drag is
// counted instead of handed to the system.
class RecordingWindowSystem : public Win32WindowSystem {
 public:
  bool opacity = false;
  std::vector<int> opacities;
  std::vector<std::string> messages;
  int moves = 0;
  // How long a message "stays up": its own message loop runs meanwhile, as a real one's does.
  int message_ms = 0;

  bool supports_opacity() const override { return opacity; }
  void set_opacity(int alpha) override {
    opacities.push_back(alpha);
    Win32WindowSystem::set_opacity(alpha);
  }
  void start_window_move() override { ++moves; }
  std::vector<std::string> urls;
  bool open_url(const std::string& url) override {
    urls.push_back(url);
    return false;  // as when no browser is set up
  }
  void show_message(MessageKind, const std::string&, const std::string& text) override;
  // Questions are recorded and answered with `answer`.
  std::vector<std::string> questions;
  bool answer = false;
  bool ask(const std::string&, const std::string& text, const std::string&,
           const std::string&) override;
  // With `choice` set, a chooser is answered with it instead of opening; what it was asked is
  // recorded.
  std::optional<std::optional<std::string>> choice;
  std::vector<std::string> chooser_starts;
  std::optional<std::string> choose_file(const std::string& title, const std::string& start,
                                         const std::vector<FileFilter>& filters) override {
    if (!choice) return Win32WindowSystem::choose_file(title, start, filters);
    chooser_starts.push_back(start);
    return *choice;
  }
  std::optional<std::string> choose_folder(const std::string& title,
                                           const std::string& start) override {
    if (!choice) return Win32WindowSystem::choose_folder(title, start);
    chooser_starts.push_back(start);
    return *choice;
  }
};

// Lets messages run for `ms`, or until the program has ended. The end of an earlier test's
// program may still be queued; it is not this one's.
void pump(Win32WindowSystem& ws, int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until && !ws.ended()) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  }
}

// A message box or question "stays up" for message_ms, its own message loop running meanwhile.
void run_like_a_modal_loop(int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  }
}

bool RecordingWindowSystem::ask(const std::string&, const std::string& text, const std::string&,
                                const std::string&) {
  questions.push_back(text);
  run_like_a_modal_loop(message_ms);
  return answer;
}

void RecordingWindowSystem::show_message(MessageKind, const std::string&, const std::string& text) {
  messages.push_back(text);
  run_like_a_modal_loop(message_ms);
}

std::wstring text_of(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

RECT rect_in_parent(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

HWND edit_of(HWND control) {
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (GetComboBoxInfo(control, &info) && info.hwndItem != nullptr) return info.hwndItem;
  return control;
}

// A left click as the mouse makes it: press and release over the window's middle.
void click(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

// Types as a keyboard does: one character message per UTF-16 unit.
void type(HWND edit, const std::wstring& text) {
  SetFocus(edit);
  for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
}

void retype(HWND edit, const std::wstring& text) {
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, WM_CLEAR, 0, 0);
  type(edit, text);
}

// Chooses item `index` of a combo box's list as its notification reports a choice.
void choose(HWND combo, int index) {
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  const int id = GetDlgCtrlID(combo);
  SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK),
               reinterpret_cast<LPARAM>(combo));
}

class ViewTest : public ::testing::Test {
 protected:
  TempFolder folder;
  RecordingWindowSystem ws;
  MainWindow main{folder.str(), ws};
  std::unique_ptr<Win32View> view;

  void SetUp() override { start(96); }

  void start(int dpi) {
    main.Form_Load();
    view.reset();
    view = std::make_unique<Win32View>(main.form(), ws, ViewEvents{[this] { main.Form_Unload(); }},
                                       dpi);
    view->show();
  }

  Control& at(const char* name, int index = -1) { return main.form().at(name, index); }
  HWND widget(const char* name, int index = -1) { return view->widget(name, index); }
  bool on_screen(const char* name, int index = -1) { return IsWindowVisible(widget(name, index)); }
};

TEST_F(ViewTest, WindowAndControlsStandWhereTheirTwipsSay) {
  RECT window{};
  GetWindowRect(view->window(), &window);
  EXPECT_EQ(window.right - window.left, 413);
  EXPECT_EQ(window.bottom - window.top, 332);
  RECT client{};
  GetClientRect(view->window(), &client);
  EXPECT_EQ(client.right, 413) << "a popup: no system border or title bar";
  // Centred on the work area of its screen.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(view->window(), MONITOR_DEFAULTTOPRIMARY), &monitor);
  EXPECT_NEAR((window.left + window.right) / 2.0,
              (monitor.rcWork.left + monitor.rcWork.right) / 2.0, 1.0);
  EXPECT_NEAR((window.top + window.bottom) / 2.0,
              (monitor.rcWork.top + monitor.rcWork.bottom) / 2.0, 1.0);

  // The body's border lies outside its client area, so no page can draw over it.
  RECT body{};
  GetClientRect(widget("pictabla1"), &body);
  EXPECT_EQ(body.right, 411);
  EXPECT_EQ(body.bottom, 310);
  const RECT about = rect_in_parent(widget("imgabout"));
  EXPECT_EQ(about.left, 376);
  EXPECT_EQ(about.right - about.left, 32);
  const RECT close = rect_in_parent(widget("imgcerrar"));
  EXPECT_EQ(close.left, 394) << "5910 twips into the title bar's client area";
  const RECT intro = rect_in_parent(widget("pic_intro"));
  EXPECT_EQ(intro.top, 43);
  EXPECT_EQ(intro.bottom - intro.top, 260);
}

TEST_F(ViewTest, AtAnotherScaleEverythingGrowsWithIt) {
  view->set_dpi(144);
  RECT window{};
  GetWindowRect(view->window(), &window);
  EXPECT_EQ(window.right - window.left, 620);
  EXPECT_EQ(window.bottom - window.top, 498);
  const RECT about = rect_in_parent(widget("imgabout"));
  EXPECT_EQ(about.right - about.left, 48) << "32 pixels at 150 %";
  EXPECT_EQ(about.left,
            front_end::place(at("imgabout").rect(), front_end::Placement{15, 315}, 144).x);
  // Fonts follow: the same caption takes about half as much room again.
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(widget("Label1"), WM_GETFONT, 0, 0));
  LOGFONTW info{};
  GetObjectW(font, sizeof info, &info);
  EXPECT_LE(info.lfHeight, -15) << "8.25 pt at 144 dpi is about 16 pixels";
}

TEST_F(ViewTest, AMoveToAScreenOfAnotherScaleLaysTheWindowOutAgain) {
  // What the system sends when the window reaches a screen at 200 %: the new DPI and where the
  // window should go.
  RECT suggested{100, 50, 100 + 826, 50 + 664};
  SendMessageW(view->window(), WM_DPICHANGED, MAKEWPARAM(192, 192),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(view->dpi(), 192);
  RECT window{};
  GetWindowRect(view->window(), &window);
  EXPECT_EQ(window.left, 100);
  EXPECT_EQ(window.top, 50);
  EXPECT_EQ(window.right - window.left, 826);
  EXPECT_EQ(window.bottom - window.top, 664);
  const RECT about = rect_in_parent(widget("imgabout"));
  EXPECT_EQ(about.right - about.left, 64);
  // A page first shown after the move is made at the new scale too.
  main.show_panel(1);
  view->sync();
  const RECT box = rect_in_parent(widget("ch_global", 0));
  EXPECT_EQ(box.right - box.left, front_end::to_pixels(975, 192));
}

TEST_F(ViewTest, LinkImagesOpenTheirAddressesOrSayThemWhenNoBrowserStarts) {
  click(widget("img_intro_a"));
  click(widget("img_intro_b"));
  click(widget("img_intro_c"));
  EXPECT_EQ(ws.urls, (std::vector<std::string>{links::kEmulatorSite, links::kDeveloperSite,
                                               links::kCommunitySite}));
  // No browser: the user is told the address instead, and the program goes on.
  ASSERT_EQ(ws.messages.size(), 3u);
  EXPECT_NE(ws.messages[0].find(links::kEmulatorSite), std::string::npos);
  EXPECT_FALSE(ws.ended());
  EXPECT_TRUE(on_screen("pic_intro"));
}

TEST_F(ViewTest, ClickingACheckBoxFlipsItsCaptionInTheModelAndOnScreen) {
  main.show_panel(1);
  view->sync();
  HWND box = widget("ch_global", 0);
  ASSERT_EQ(at("ch_global", 0).value(), 0);
  EXPECT_EQ(text_of(box), L"Disable");
  SendMessageW(box, BM_CLICK, 0, 0);
  EXPECT_EQ(at("ch_global", 0).value(), 1);
  EXPECT_EQ(at("ch_global", 0).caption(), "Enable");
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(text_of(box), L"Enable");
  SendMessageW(box, BM_CLICK, 0, 0);
  EXPECT_EQ(at("ch_global", 0).value(), 0);
  EXPECT_EQ(text_of(box), L"Disable");
}

TEST_F(ViewTest, OptionButtonsAreExclusiveWithinTheirGroupOnly) {
  main.show_panel(1);
  view->sync();
  SendMessageW(widget("op_video_winmodo", 0), BM_CLICK, 0, 0);
  EXPECT_TRUE(at("op_video_winmodo", 0).option_value());
  EXPECT_FALSE(at("op_video_winmodo", 1).option_value());
  EXPECT_EQ(SendMessageW(widget("op_video_winmodo", 1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  // Another group keeps its choice.
  const bool zoom = at("op_video_winmodo", 2).option_value();
  EXPECT_EQ(SendMessageW(widget("op_video_winmodo", 2), BM_GETCHECK, 0, 0) == BST_CHECKED, zoom);
  SendMessageW(widget("op_video_winmodo", 1), BM_CLICK, 0, 0);
  EXPECT_FALSE(at("op_video_winmodo", 0).option_value());
  EXPECT_EQ(SendMessageW(widget("op_video_winmodo", 0), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(at("op_video_winmodo", 2).option_value(), zoom);
}

TEST_F(ViewTest, PanelsAndSubPagesShowAsTheModelSays) {
  EXPECT_TRUE(on_screen("pic_intro"));
  EXPECT_FALSE(on_screen("imgsave"));
  click(widget("picpantalla"));
  EXPECT_TRUE(on_screen("pic_video"));
  EXPECT_FALSE(on_screen("pic_intro"));
  EXPECT_TRUE(on_screen("imgsave"));
  EXPECT_FALSE(on_screen("pic_video_tv"));
  SendMessageW(GetParent(widget("lblvideo_1", 20)), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(widget("lblvideo_1", 20)), STN_CLICKED),
               reinterpret_cast<LPARAM>(widget("lblvideo_1", 20)));
  EXPECT_TRUE(on_screen("pic_video_tv"));
  // The sub-page covers its panel's first page: it is above every control there.
  HWND above = GetWindow(widget("pic_video_tv"), GW_HWNDPREV);
  EXPECT_EQ(above, nullptr) << "the sub-page is the top of its panel's children";
}

TEST_F(ViewTest, AHiddenPanelKeepsItsValuesAndShowsThemAgain) {
  main.show_panel(2);
  view->sync();
  retype(edit_of(widget("com_sound_fre")), L"32000");
  main.show_panel(3);
  view->sync();
  EXPECT_FALSE(on_screen("com_sound_fre"));
  main.show_panel(2);
  view->sync();
  EXPECT_EQ(text_of(edit_of(widget("com_sound_fre"))), L"32000");
  EXPECT_EQ(at("com_sound_fre").text(), "32000");
}

TEST_F(ViewTest, TypedTextReachesTheModelAsWindows1252Bytes) {
  main.show_panel(0);
  view->sync();
  HWND field = widget("txt_panel_b_card1");
  retype(field, L"C:\\Jeux\\Caf\u00E9 \u20AC.pce");
  EXPECT_EQ(at("txt_panel_b_card1").text(), "C:\\Jeux\\Caf\xE9 \x80.pce");
  retype(edit_of(widget("com_sound_fre")), L"22050");
  EXPECT_EQ(at("com_sound_fre").text(), "22050");
}

TEST_F(ViewTest, ACharacterWindows1252CannotHoldIsTakenOutAndTheRestKept) {
  main.show_panel(0);
  view->sync();
  HWND field = widget("txt_panel_b_card1");
  retype(field, L"ab\u0101c\U0001F600d");
  EXPECT_EQ(at("txt_panel_b_card1").text(), "abcd");
  EXPECT_EQ(text_of(field), L"abcd");
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(end, 4u) << "the caret stays after what was typed";
}

TEST_F(ViewTest, PastedLineBreaksAreDropped) {
  main.show_panel(0);
  view->sync();
  HWND field = widget("txt_panel_b_card1");
  SetFocus(field);
  SendMessageW(field, EM_SETSEL, 0, -1);
  SendMessageW(field, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"C:\\a\r\nb"));
  EXPECT_EQ(at("txt_panel_b_card1").text(), "C:\\ab");
}

TEST_F(ViewTest, EditableCombosTakeAChosenItemAndKeepWhatWasTyped) {
  main.show_panel(4);
  view->sync();
  HWND combo = widget("com_key_type");
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
  choose(combo, 0);
  EXPECT_EQ(at("com_key_type").text(), "AZERTY");
  EXPECT_EQ(text_of(edit_of(combo)), L"AZERTY");
  retype(edit_of(combo), L"azerty");
  EXPECT_EQ(at("com_key_type").text(), "azerty") << "no completion, no change of case";
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3) << "typing adds no item";
}

TEST_F(ViewTest, SyncLeavesAFieldAloneWhenItAlreadyMatches) {
  main.show_panel(0);
  view->sync();
  HWND field = widget("txt_panel_b_card1");
  retype(field, L"abcdef");
  SendMessageW(field, EM_SETSEL, 2, 2);
  view->sync();
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 2u);
  EXPECT_EQ(end, 2u);
}

TEST_F(ViewTest, OnlyTheBareTitleBarWithTheLeftButtonMovesTheWindow) {
  HWND bar = widget("picbarraalta");
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 10));
  EXPECT_EQ(ws.moves, 1);
  SendMessageW(bar, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(300, 10));
  SendMessageW(bar, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(310, 12));
  SendMessageW(bar, WM_MOUSEMOVE, MK_MBUTTON, MAKELPARAM(310, 12));
  SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(310, 12));
  EXPECT_EQ(ws.moves, 1) << "right, middle, or left with another button: no move";
  // The title text and the close image take the mouse over their own area, so a press there
  // never reaches the title bar.
  for (const char* name : {"Label1", "imgcerrar"}) {
    HWND over = widget(name);
    RECT r{};
    GetWindowRect(over, &r);
    const LRESULT hit = SendMessageW(over, WM_NCHITTEST, 0,
                                     MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    EXPECT_EQ(hit, HTCLIENT) << name;
  }
  click(widget("imgcerrar"));
  EXPECT_EQ(ws.moves, 1);
}

TEST_F(ViewTest, TheHandPointerShowsOverClickableImagesAndPageFlips) {
  HCURSOR hand = LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));
  for (const char* name : {"imgabout", "img_intro_a"}) {
    SetCursor(nullptr);
    HWND image = widget(name);
    SendMessageW(image, WM_SETCURSOR, reinterpret_cast<WPARAM>(image),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), hand) << name;
  }
  main.show_panel(1);
  view->sync();
  HWND flip = widget("lblvideo_1", 20);
  SetCursor(nullptr);
  SendMessageW(GetParent(flip), WM_SETCURSOR, reinterpret_cast<WPARAM>(flip),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), hand);
}

// The tooltip control that shows `control`'s tip, and the tip's text; empty when it has none.
// The first visible window of class `cls` that `also` accepts: among the children of `parent`,
// or the top-level windows of this thread when it is nullptr.
HWND find_window(const wchar_t* cls, HWND parent, bool (*also)(HWND) = nullptr) {
  struct Search {
    const wchar_t* cls;
    bool (*also)(HWND);
    HWND found;
  } search{cls, also, nullptr};
  const WNDENUMPROC visit = [](HWND w, LPARAM l) -> BOOL {
    auto& s = *reinterpret_cast<Search*>(l);
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    if (std::wstring(name) != s.cls || (s.also != nullptr && !s.also(w))) return TRUE;
    s.found = w;
    return FALSE;
  };
  if (parent != nullptr) {
    EnumChildWindows(parent, visit, reinterpret_cast<LPARAM>(&search));
  } else {
    EnumThreadWindows(GetCurrentThreadId(), visit, reinterpret_cast<LPARAM>(&search));
  }
  return search.found;
}

// The tooltip control that shows `control`'s tip (a tool of `owner`, by default its parent), and
// the tip's text; empty when it has none.
std::wstring tooltip_of(HWND control, HWND owner = nullptr) {
  // The tips of the controls are the tooltip control that holds several tools.
  HWND tips = find_window(TOOLTIPS_CLASSW, nullptr,
                          [](HWND w) { return SendMessageW(w, TTM_GETTOOLCOUNT, 0, 0) >= 2; });
  if (tips == nullptr) return {};
  std::wstring text(4096, L'\0');
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = owner != nullptr ? owner : GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text.data();
  SendMessageW(tips, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
  text.resize(wcslen(text.c_str()));
  return text;
}

TEST_F(ViewTest, ControlsCarryTheirTooltips) {
  EXPECT_EQ(tooltip_of(widget("imgsave")), L"Save & Quit");
  EXPECT_EQ(tooltip_of(widget("picpantalla")), L"Video Settings");
  EXPECT_EQ(tooltip_of(widget("imgcerrar")), from_model(at("imgcerrar").tooltip));
  EXPECT_EQ(tooltip_of(widget("Label1")), from_model(at("Label1").tooltip));
  EXPECT_EQ(tooltip_of(widget("lblvideo_1", 80)), L"") << "no tip where the layout gives none";
}

TEST_F(ViewTest, TheFadeRunsOnTheTimerAndEndsTheProgram) {
  ws.opacity = true;
  const std::string file = folder.read("VOZ.INI");
  click(widget("imgcerrar"));
  EXPECT_NE(GetWindowLongPtrW(view->window(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  EXPECT_FALSE(ws.ended());
  pump(ws, 3000);
  EXPECT_TRUE(ws.ended());
  EXPECT_EQ(ws.opacities, (std::vector<int>{255, 230, 204, 178, 153, 128, 102, 76, 51, 26, 3}));
  EXPECT_EQ(folder.read("VOZ.INI"), file);
}

TEST_F(ViewTest, TheSystemCloseEndsTheProgramWithoutSaving) {
  const std::string file = folder.read("VOZ.INI");
  main.show_panel(1);
  view->sync();
  SendMessageW(widget("ch_global", 0), BM_CLICK, 0, 0);
  SendMessageW(view->window(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(ws.ended());
  EXPECT_EQ(ws.exit_code(), 0);
  EXPECT_EQ(folder.read("VOZ.INI"), file);
}

TEST_F(ViewTest, AFailedSaveDuringAFadeKeepsTheWindowBehindItsMessage) {
  ws.opacity = true;
  main.show_panel(1);
  view->sync();
  click(widget("imgcerrar"));  // the fade begins
  SendMessageW(widget("ch_global", 0), BM_CLICK, 0, 0);
  // VOZ.INI cannot be replaced: a folder stands in its place.
  fs::remove(folder / "VOZ.INI");
  fs::create_directory(folder / "VOZ.INI");
  ws.message_ms = 1500;  // longer than the whole fade
  ws.answer = true;      // VOZ.INI changed on disk: replace it all the same
  click(widget("imgsave"));
  ASSERT_EQ(ws.questions.size(), 1u);
  ASSERT_EQ(ws.messages.size(), 1u);
  EXPECT_FALSE(ws.ended()) << "the fade went on behind the message and closed the window";
  EXPECT_TRUE(IsWindow(view->window()));
  EXPECT_EQ(at("ch_global", 0).value(), 1) << "the edit is still in the window";
  EXPECT_EQ(ws.opacities.back(), 255);
}

TEST_F(ViewTest, EveryCaptionFitsItsBoxAtEveryScale) {
  for (int dpi : {96, 120, 144, 192}) {
    view->set_dpi(dpi);
    for (const auto& control : main.form().controls()) {
      HWND w = view->widget(*control);
      if (w == nullptr || control->caption().empty()) continue;
      RECT r{};
      GetClientRect(w, &r);
      if (control->kind() == Kind::Label) {
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0));
        HDC dc = GetDC(w);
        HGDIOBJ old = SelectObject(dc, font);
        SIZE size{};
        const std::wstring text = from_model(control->caption());
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(dc, LF_FACESIZE, face);
        // Narrowed or made smaller to fit, a caption keeps the family that stands in for its own.
        EXPECT_EQ(std::wstring(face), win32::Fonts::resolve_family(control->font.family))
            << control->display_name() << " at " << dpi << " dpi";
        SelectObject(dc, old);
        ReleaseDC(w, dc);
        EXPECT_LE(size.cx, r.right) << control->display_name() << " at " << dpi << " dpi";
        EXPECT_LE(metrics.tmHeight, r.bottom) << control->display_name() << " at " << dpi;
      } else if (control->kind() == Kind::CheckBox || control->kind() == Kind::OptionButton) {
        SIZE ideal{};
        ASSERT_TRUE(SendMessageW(w, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
        EXPECT_LE(ideal.cx, r.right)
            << control->display_name() << " \"" << control->caption() << "\" at " << dpi << " dpi";
      }
    }
  }
}

TEST(ViewParts, DriveListsOfferTheModelsDrivesAndReportAPick) {
  Form form;
  Control& list = form.add(Kind::DriveList, "Dri_test", form.root(), Twips{120, 120, 1575, 315});
  list.set_list({"c: [Local Disk]", "d: [CD-ROM]", "z: [Local Disk]"});
  list.set_drive("c: [Local Disk]");
  std::vector<std::string> picks;
  list.on_change([&picks](Control& c) { picks.push_back(c.drive()); });
  Win32WindowSystem ws;
  Win32View view(form, ws, ViewEvents{}, 96);
  HWND combo = view.widget(list);
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
  choose(combo, 1);
  choose(combo, 1);
  choose(combo, 2);
  EXPECT_EQ(picks, (std::vector<std::string>{"d: [CD-ROM]", "z: [Local Disk]"}))
      << "a pick raises change once, and only when the drive changes";
  list.set_list({});
  view.sync();
  EXPECT_FALSE(IsWindowEnabled(combo)) << "an empty drive list cannot be opened";
}

TEST(ViewParts, AnErrorEscapingAHandlerIsReportedAndEndsTheProgram) {
  Form form;
  Control& image = form.add(Kind::Image, "imgboom", form.root(), Twips{0, 0, 480, 480});
  int clicks = 0;
  image.on_click([&clicks](Control&) {
    ++clicks;
    throw std::runtime_error("disk on fire");
  });
  RecordingWindowSystem ws;
  Win32View view(form, ws, ViewEvents{}, 96);
  view.show();
  click(view.widget(image));
  ASSERT_EQ(ws.messages.size(), 1u);
  EXPECT_NE(ws.messages[0].find("disk on fire"), std::string::npos);
  EXPECT_NE(ws.messages[0].find("imgboom"), std::string::npos);
  EXPECT_TRUE(ws.ended());
  EXPECT_EQ(ws.exit_code(), 1);
  click(view.widget(image));
  EXPECT_EQ(clicks, 1) << "nothing reaches the logic after the end";
}

// A key as the keyboard sends it to the focused window, through the program's own message loop;
// Shift held with it when asked.
void press(Win32WindowSystem& ws, WPARAM key, bool shift = false) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
  HWND focus = GetFocus();
  const UINT down = key == VK_F10 ? WM_SYSKEYDOWN : WM_KEYDOWN;
  PostMessageW(focus, down, key, 1);
  PostMessageW(focus, down + 1, key, static_cast<LPARAM>(0xC0000001));
  ws.process_pending_events();
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

// What the window the keyboard is in when `control` has the focus: an editable combo's field.
HWND focus_target(HWND control) { return edit_of(control); }

// Walks Tab (or Shift+Tab) `steps` times, noting where the focus lands each time.
std::vector<HWND> walk(Win32WindowSystem& ws, std::size_t steps, bool backwards = false) {
  std::vector<HWND> landed;
  for (std::size_t i = 0; i < steps; ++i) {
    press(ws, VK_TAB, backwards);
    landed.push_back(GetFocus());
  }
  return landed;
}

class KeyboardTest : public ViewTest {
 protected:
  // The windows Tab should reach, in order: the model's focus order, only what is on screen.
  std::vector<HWND> tab_stops() {
    std::vector<HWND> stops;
    for (const Control* c : focus_order(main.form())) {
      if (main.form().on_screen(*c)) stops.push_back(focus_target(view->widget(*c)));
    }
    return stops;
  }
  const Control* focused() {
    for (const Control* c : focus_order(main.form())) {
      if (main.form().on_screen(*c) && focus_target(view->widget(*c)) == GetFocus()) return c;
    }
    return nullptr;
  }
};

TEST_F(KeyboardTest, TabWalksTheModelsOrderAndSkipsWhatIsNotOnScreen) {
  std::vector<HWND> stops = tab_stops();
  ASSERT_GE(stops.size(), 8u);
  EXPECT_EQ(GetFocus(), stops[0]) << "the keyboard starts on the first navigation image";
  EXPECT_EQ(focused()->kind(), Kind::Image);

  // The video panel's sub-page covers its first page: none of that page's controls is reached.
  SetFocus(widget("picpantalla"));
  press(ws, VK_RETURN);
  SendMessageW(GetParent(widget("lblvideo_1", 20)), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(widget("lblvideo_1", 20)), STN_CLICKED),
               reinterpret_cast<LPARAM>(widget("lblvideo_1", 20)));
  ASSERT_TRUE(on_screen("pic_video_tv"));
  stops = tab_stops();
  SetFocus(stops[0]);
  std::vector<HWND> expected(stops.begin() + 1, stops.end());
  expected.push_back(stops[0]);  // and round again
  EXPECT_EQ(walk(ws, stops.size()), expected);
  EXPECT_FALSE(IsWindowVisible(widget("ch_global", 0))) << "covered by the sub-page";
  for (HWND stop : stops) EXPECT_NE(stop, widget("ch_global", 0));

  // Shift+Tab goes back the same way.
  std::vector<HWND> back(stops.rbegin(), stops.rend());
  EXPECT_EQ(walk(ws, stops.size(), true), back);
}

TEST_F(KeyboardTest, EnterOrSpacePressesTheFocusedImageOrPageFlipAndTheFocusStays) {
  HWND video = widget("picpantalla");
  SetFocus(video);
  press(ws, VK_RETURN);
  EXPECT_TRUE(on_screen("pic_video"));
  EXPECT_EQ(GetFocus(), video) << "so that Tab goes on from there";
  HWND sound = widget("imgsonido");
  SetFocus(sound);
  press(ws, VK_SPACE);
  EXPECT_TRUE(on_screen("pic_sound"));
  EXPECT_FALSE(on_screen("pic_video"));
  EXPECT_EQ(GetFocus(), sound);

  // A page flip that its sub-page then covers hands the focus to the flip label on show, so
  // that Enter flips back.
  SetFocus(video);
  press(ws, VK_RETURN);
  HWND flip = widget("lblvideo_1", 20);
  SetFocus(flip);
  press(ws, VK_RETURN);
  ASSERT_TRUE(on_screen("pic_video_tv"));
  const Control* now = focused();
  ASSERT_NE(now, nullptr);
  EXPECT_EQ(now, focus_after_activation(main.form(), at("lblvideo_1", 20)));
  EXPECT_EQ(now->kind(), Kind::Label);
  press(ws, VK_RETURN);
  EXPECT_FALSE(on_screen("pic_video_tv"));
  EXPECT_EQ(GetFocus(), flip);

  // A label that is not worked from the keyboard takes no Enter.
  main.show_panel(2);
  view->sync();
  SetFocus(widget("lblvideo_1", 68));
  press(ws, VK_RETURN);
  EXPECT_TRUE(on_screen("pic_sound"));
  EXPECT_FALSE(ws.ended());
}

void flip_to(HWND label) {
  SendMessageW(GetParent(label), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(label), STN_CLICKED),
               reinterpret_cast<LPARAM>(label));
}

// What a screen reader reads of a window: its object for the client area, asked the standard way.
struct Read {
  std::wstring name;
  std::wstring description;
  long role = 0;
  long state = 0;
  std::wstring action;
};

Read read_as_screen_reader(HWND hwnd) {
  Read read;
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT),
                                        __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&object))) ||
      object == nullptr) {
    return read;
  }
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  const auto text = [&](HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
    BSTR value = nullptr;
    const HRESULT result = (object->*get)(self, &value);
    std::wstring out = SUCCEEDED(result) && value != nullptr ? std::wstring(value) : L"";
    SysFreeString(value);
    return out;
  };
  read.name = text(&IAccessible::get_accName);
  read.description = text(&IAccessible::get_accDescription);
  read.action = text(&IAccessible::get_accDefaultAction);
  VARIANT out{};
  if (SUCCEEDED(object->get_accRole(self, &out)) && out.vt == VT_I4) read.role = out.lVal;
  VariantClear(&out);
  if (SUCCEEDED(object->get_accState(self, &out)) && out.vt == VT_I4) read.state = out.lVal;
  VariantClear(&out);
  object->Release();
  return read;
}

void do_default_action(HWND hwnd) {
  IAccessible* object = nullptr;
  ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT),
                                                   __uuidof(IAccessible),
                                                   reinterpret_cast<void**>(&object))));
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  EXPECT_TRUE(SUCCEEDED(object->accDoDefaultAction(self)));
  object->Release();
}

TEST_F(ViewTest, AScreenReaderReadsTheLabelsNamesTheHelpAndTheStates) {
  main.show_panel(2);
  view->sync();
  // Named by the label over it, not by its own caption; its help is the description.
  HWND sound = widget("ch_global", 14);
  Read box = read_as_screen_reader(sound);
  EXPECT_EQ(box.name, L"Sound");
  EXPECT_EQ(box.description, from_model(at("ch_global", 14).description));
  EXPECT_NE(box.description.find(L"[sound]"), std::wstring::npos) << "the place in the file";
  EXPECT_EQ(box.role, ROLE_SYSTEM_CHECKBUTTON);
  const bool was = at("ch_global", 14).value() != 0;
  EXPECT_EQ((box.state & STATE_SYSTEM_CHECKED) != 0, was);
  SendMessageW(sound, BM_CLICK, 0, 0);
  EXPECT_EQ((read_as_screen_reader(sound).state & STATE_SYSTEM_CHECKED) != 0, !was);

  EXPECT_EQ(read_as_screen_reader(widget("txt_sound_delay")).name, L"Delay (2 - 30)");
  // An editable combo's field is what has the focus, so it is named too.
  EXPECT_EQ(read_as_screen_reader(edit_of(widget("com_sound_fre"))).name, L"Frequency");
  EXPECT_EQ(read_as_screen_reader(widget("com_sound_fre")).name, L"Frequency");
  // What each is, whether or not the host's own objects know the classes (Wine's do not).
  EXPECT_EQ(read_as_screen_reader(widget("com_sound_fre")).role, ROLE_SYSTEM_COMBOBOX);
  EXPECT_EQ(read_as_screen_reader(edit_of(widget("com_sound_fre"))).role, ROLE_SYSTEM_TEXT);

  // Every control of every page and sub-page says what the model says: the drive lists and
  // browse buttons too, named after the setting they serve.
  std::vector<std::string> named;
  const auto read_page = [&] {
    for (const Control* c : focus_order(main.form())) {
      if (!main.form().on_screen(*c) || c->accessible_name.empty()) continue;
      const Read read = read_as_screen_reader(focus_target(view->widget(*c)));
      EXPECT_EQ(read.name, from_model(c->accessible_name)) << c->display_name();
      EXPECT_EQ(read.description, from_model(c->description)) << c->display_name();
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
    view->sync();
    read_page();
  }
  for (int flip : {51, 20}) {  // the second pages of the emulation and video panels
    main.show_panel(flip == 51 ? 0 : 1);
    view->sync();
    flip_to(widget("lblvideo_1", flip));
    read_page();
  }
  EXPECT_GE(named.size(), 62u) << "a name for every setting";
  for (const char* served : {"Dri_panel_list", "cmd_panel_b_saved"}) {
    EXPECT_NE(std::find(named.begin(), named.end(), served), named.end()) << served;
  }
  main.show_panel(2);
  view->sync();

  // A hidden page is not offered: its windows are hidden, and read as invisible.
  main.show_panel(1);
  view->sync();
  EXPECT_FALSE(IsWindowVisible(sound));
  EXPECT_NE(read_as_screen_reader(sound).state & STATE_SYSTEM_INVISIBLE, 0);
}

TEST_F(ViewTest, ImagesThatWorkAsButtonsArePushButtonsNamedByTheirTooltips) {
  for (const char* name : {"imgsonido", "imgcerrar"}) {
    const Read read = read_as_screen_reader(widget(name));
    EXPECT_EQ(read.name, from_model(at(name).tooltip)) << name;
    EXPECT_EQ(read.role, ROLE_SYSTEM_PUSHBUTTON) << name;
    EXPECT_EQ(read.action, L"Press") << name;
  }
  EXPECT_EQ(read_as_screen_reader(widget("imgsonido")).name, L"Sound Settings");
  EXPECT_EQ(read_as_screen_reader(widget("imgcerrar")).name, L"Close without saving");
  EXPECT_EQ(read_as_screen_reader(widget("img_intro_a")).role, ROLE_SYSTEM_LINK);
  // "Press" does what a click does.
  do_default_action(widget("imgsonido"));
  pump(ws, 50);
  EXPECT_TRUE(on_screen("pic_sound"));
}

class MenuTest : public ViewTest {
 protected:
  struct Entry {
    UINT id = 0;  // 0: a separator
    std::wstring caption;
    bool enabled = false;
  };
  std::vector<Entry> shown;
  POINT shown_at{};
  int menus = 0;
  std::size_t pick = 0;  // the entry to choose, counted from 1; 0 chooses none

  void SetUp() override {
    ViewTest::SetUp();
    view->set_menu_tracker([this](HMENU menu, POINT at, HWND) -> UINT {
      ++menus;
      shown.clear();
      shown_at = at;
      for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        wchar_t text[256] = {};
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_FTYPE;
        info.dwTypeData = text;
        info.cch = 256;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        const bool separator = (info.fType & MFT_SEPARATOR) != 0;
        shown.push_back({separator ? 0 : info.wID, text, (info.fState & MFS_DISABLED) == 0});
      }
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

TEST_F(MenuTest, ASettingsMenuRestoresTheDefaultOrTheValueReadThenOffersTheEditEntries) {
  main.show_panel(2);
  view->sync();
  HWND delay = widget("txt_sound_delay");
  const std::string read = at("txt_sound_delay").text();
  retype(delay, L"25");
  ASSERT_NE(read, "25");

  pick = 1;  // "Restore default (...)"
  right_click(delay);
  ASSERT_EQ(menus, 1);
  ASSERT_GE(shown.size(), 3u);
  const std::string fallback(SettingsTable::default_value(row::delay));
  EXPECT_EQ(shown[0].caption,
            L"Restore default (" + (fallback.empty() ? L"empty" : from_model(fallback)) + L")");
  EXPECT_EQ(shown[1].caption.rfind(L"Restore the value read from VOZ.INI (", 0), 0u);
  EXPECT_EQ(at("txt_sound_delay").text(), fallback);
  EXPECT_EQ(text_of(delay), from_model(fallback)) << "the field shows it at once";

  pick = 2;  // "Restore the value read from VOZ.INI (...)"
  right_click(delay);
  EXPECT_EQ(at("txt_sound_delay").text(), read);

  // Below a separator, the field's own entries, enabled as the field would enable them.
  retype(delay, L"25");
  pick = 0;
  SetFocus(delay);
  SendMessageW(delay, EM_SETSEL, 0, 0);
  right_click(delay);
  std::vector<std::wstring> captions;
  for (const Entry& e : shown) captions.push_back(e.caption);
  EXPECT_EQ(captions, (std::vector<std::wstring>{shown[0].caption, shown[1].caption, L"", L"&Undo",
                                                 L"", L"Cu&t", L"&Copy", L"&Paste", L"&Delete", L"",
                                                 L"Select &All"}));
  EXPECT_FALSE(shown[5].enabled) << "nothing selected to cut";
  EXPECT_TRUE(shown[10].enabled);
  pick = 11;  // Select All: the field does it
  right_click(delay);
  DWORD start = 1;
  DWORD end = 0;
  SendMessageW(delay, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, static_cast<DWORD>(text_of(delay).size()));
  pick = 0;
  right_click(delay);
  EXPECT_TRUE(shown[5].enabled) << "now there is";
}

TEST_F(MenuTest, ARightClickedFieldTakesTheFocusAsTheSystemsOwnMenuWouldGiveIt) {
  main.show_panel(2);
  view->sync();
  HWND delay = widget("txt_sound_delay");
  retype(delay, L"25");
  HWND combo_field = edit_of(widget("com_sound_fre"));
  // Elsewhere when the click comes: a field whose selection is hidden would show no sign of
  // Select All, and what is typed next would not go into it.
  for (HWND field : {delay, combo_field}) {
    SetFocus(widget("imgsonido"));
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
  SetFocus(widget("imgsonido"));
  pick = 0;
  right_click(widget("ch_global", 14));
  EXPECT_EQ(GetFocus(), widget("imgsonido"));
}

TEST_F(MenuTest, TheMenuKeysOpenItAtTheControlAndCheckBoxesHaveNoEditEntries) {
  main.show_panel(2);
  view->sync();
  HWND sound = widget("ch_global", 14);
  SetFocus(sound);
  press(ws, VK_APPS);
  ASSERT_EQ(menus, 1) << "one menu, not a second one on the key's release";
  EXPECT_EQ(shown.size(), 2u);
  RECT r{};
  GetWindowRect(sound, &r);
  EXPECT_EQ(shown_at.x, r.left);
  EXPECT_EQ(shown_at.y, r.bottom);
  // Shift+F10 on a combo's field, and the model's entry chosen from it.
  HWND field = edit_of(widget("com_sound_fre"));
  retype(field, L"12345");
  SetFocus(field);
  pick = 1;
  press(ws, VK_F10, true);
  EXPECT_EQ(menus, 2);
  EXPECT_EQ(at("com_sound_fre").text(), std::string(SettingsTable::default_value(row::frequency)));
  EXPECT_GT(shown.size(), 2u) << "a combo's field keeps its edit entries";
  // Controls that are no setting have no menu.
  SetFocus(widget("imgsonido"));
  press(ws, VK_APPS);
  EXPECT_EQ(menus, 2);
}

TEST_F(ViewTest, ABrowseButtonFollowsItsBoxAndAChosenPathLandsInIt) {
  main.show_panel(0);
  view->sync();
  flip_to(widget("lblvideo_1", 51));
  ASSERT_TRUE(on_screen("pic_panel_b"));
  HWND box = widget("txt_panel_b_card1");
  HWND button = widget("cmd_panel_b_card1");
  EXPECT_TRUE(IsWindowVisible(button));
  EXPECT_EQ(text_of(button), L"\u2026");
  EXPECT_EQ(tooltip_of(button), from_model(at("cmd_panel_b_card1").tooltip));
  EXPECT_EQ(read_as_screen_reader(button).name,
            L"Browse for " + from_model(at("txt_panel_b_card1").accessible_name));
  SetFocus(box);
  press(ws, VK_TAB);
  EXPECT_EQ(GetFocus(), button) << "reached by Tab right after its box";

  fs::create_directories(folder / "Cartes");
  const fs::path card = folder / "Cartes" / "syscard3.pce";
  folder.write("Cartes/syscard3.pce", "");
  const std::string chosen = win32::to_utf8(card.wstring());
  ws.choice.emplace(chosen);
  press(ws, VK_SPACE);  // the button's own key
  ASSERT_EQ(ws.chooser_starts.size(), 1u);
  EXPECT_EQ(at("txt_panel_b_card1").text(), win32::utf8_to_model(chosen)) << "as chosen";
  EXPECT_EQ(text_of(box), card.wstring());
  // Opened again, it starts at the path in the box; cancelled, it leaves the box alone.
  ws.choice.emplace(std::nullopt);
  SendMessageW(button, BM_CLICK, 0, 0);
  ASSERT_EQ(ws.chooser_starts.size(), 2u);
  EXPECT_EQ(fs::path(ws.chooser_starts[1]), card);
  EXPECT_EQ(text_of(box), card.wstring());
  // Enter presses it as Space does, and the keyboard stays on it.
  SetFocus(button);
  press(ws, VK_RETURN);
  EXPECT_EQ(ws.chooser_starts.size(), 3u);
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

TEST_F(ViewTest, TheSystemsChooserOpensAtTheBoxsPathAndGivesTheChosenFile) {
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
  EXPECT_TRUE(ws.messages.empty());

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

TEST_F(ViewTest, TheFocusComesBackToTheControlItLeftForAChooserOrAMessage) {
  main.show_panel(0);
  view->sync();
  flip_to(widget("lblvideo_1", 51));
  HWND button = widget("cmd_panel_b_card1");
  SetActiveWindow(view->window());
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

TEST_F(ViewTest, WithoutTheOpenDialogObjectTheClassicChoosersDoTheSame) {
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

TEST_F(ViewTest, AWarningSignShowsBesideAValueOutsideItsRangeUntilItIsCorrected) {
  main.show_panel(2);
  view->sync();
  HWND delay = widget("txt_sound_delay");
  HWND sign = widget("warn_txt_sound_delay");
  ASSERT_NE(sign, nullptr);
  EXPECT_FALSE(IsWindowVisible(sign));
  retype(delay, L"31");
  EXPECT_TRUE(IsWindowVisible(sign));
  EXPECT_EQ(at("txt_sound_delay").text(), "31") << "the value is kept as it is";
  EXPECT_EQ(tooltip_of(sign), from_model(at("warn_txt_sound_delay").tooltip));
  EXPECT_NE(tooltip_of(sign).find(L"2 - 30"), std::wstring::npos);
  const Read read = read_as_screen_reader(sign);
  EXPECT_EQ(read.role, ROLE_SYSTEM_GRAPHIC);
  EXPECT_EQ(read.name, tooltip_of(sign));
  // Beside its box, on the right.
  EXPECT_GE(rect_in_parent(sign).left, rect_in_parent(delay).right);
  click(sign);  // only looked at: nothing happens
  EXPECT_TRUE(ws.messages.empty());
  retype(delay, L"30");
  EXPECT_FALSE(IsWindowVisible(sign));
}

TEST_F(ViewTest, EverySettingsControlCarriesItsHelpAndFollowsAChangedTooltip) {
  main.show_panel(2);
  view->sync();
  for (const char* name : {"txt_sound_delay", "com_sound_fre"}) {
    const std::wstring help = from_model(at(name).tooltip);
    EXPECT_NE(help.find(L"[sound]"), std::wstring::npos) << name;
    EXPECT_EQ(tooltip_of(widget(name)), help) << name;
  }
  EXPECT_EQ(tooltip_of(widget("ch_global", 14)), from_model(at("ch_global", 14).tooltip));
  EXPECT_EQ(tooltip_of(widget("lblvideo_1", 74)), from_model(at("lblvideo_1", 74).tooltip));
  // The mouse over an editable combo is over its field.
  EXPECT_EQ(tooltip_of(edit_of(widget("com_sound_fre")), widget("com_sound_fre")),
            from_model(at("com_sound_fre").tooltip));

  at("txt_sound_delay").tooltip = "Changed \x93tip\x94";
  view->sync();
  EXPECT_EQ(tooltip_of(widget("txt_sound_delay")), L"Changed \u201Ctip\u201D");
}

}  // namespace
}  // namespace quorvane::testing
