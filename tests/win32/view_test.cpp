// The native view under Wine (or Windows): real controls over the real window, driven with the
// messages that mouse and keyboard input become.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/front_end.h"
#include "platform/win32/fonts.h"
#include "platform/win32/text.h"
#include "platform/win32/win.h"
#include "platform/win32/win32_view.h"
#include "platform/win32/win32_window_system.h"
#include "shell/main_window.h"
#include "test_support.h"

// After windows.h, which it needs.
#include <commctrl.h>

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
    view = std::make_unique<Win32View>(main.form(), ws,
                                       win32::ViewEvents{[this] { main.Form_Unload(); }}, dpi);
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
std::wstring tooltip_of(HWND control) {
  HWND tips = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM found) -> BOOL {
        wchar_t cls[64] = {};
        GetClassNameW(w, cls, 64);
        if (std::wstring(cls) != TOOLTIPS_CLASSW) return TRUE;
        // The tips of the controls are the tooltip control that holds several tools.
        if (SendMessageW(w, TTM_GETTOOLCOUNT, 0, 0) < 2) return TRUE;
        *reinterpret_cast<HWND*>(found) = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&tips));
  if (tips == nullptr) return {};
  wchar_t text[256] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text;
  SendMessageW(tips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
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
  Win32View view(form, ws, win32::ViewEvents{}, 96);
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
  Win32View view(form, ws, win32::ViewEvents{}, 96);
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

}  // namespace
}  // namespace quorvane::testing
