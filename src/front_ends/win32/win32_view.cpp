#include "front_ends/win32/win32_view.h"

// After windows.h, which they need.
#include <commctrl.h>
#include <oleacc.h>
#include <shellapi.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <exception>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "front_ends/win32/accessible.h"
#include "front_ends/win32/art.h"
#include "front_ends/win32/common_controls.h"
#include "front_ends/win32/fonts.h"
#include "front_ends/win32/resources.h"
#include "front_ends/win32/text.h"
#include "front_ends/win32/win32_window_system.h"
#include "model/front_end.h"
#include "shell/view_core.h"

namespace quorvane::win32 {
namespace {

using front_end::kTwipsPerPixel;
using front_end::Placement;
using front_end::to_pixels;

// A field's sunken edge as the field draws it itself: in the theme's look while one is on,
// otherwise the classic edge. Leaves `all` as the area inside the edge.
void draw_sunken_edge(HWND hwnd, HDC dc, RECT& all) {
  using GetWindowThemeFn = HTHEME(WINAPI*)(HWND);
  using DrawThemeBackgroundFn = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*);
  static const HMODULE theming = [] {
    HMODULE loaded = GetModuleHandleW(L"uxtheme.dll");
    return loaded != nullptr ? loaded : LoadLibraryW(L"uxtheme.dll");
  }();
  static const auto window_theme =
      theming == nullptr ? nullptr
                         : reinterpret_cast<GetWindowThemeFn>(
                               reinterpret_cast<void*>(GetProcAddress(theming, "GetWindowTheme")));
  static const auto draw_background =
      theming == nullptr ? nullptr
                         : reinterpret_cast<DrawThemeBackgroundFn>(reinterpret_cast<void*>(
                               GetProcAddress(theming, "DrawThemeBackground")));
  HTHEME theme = window_theme != nullptr ? window_theme(hwnd) : nullptr;
  if (theme == nullptr || draw_background == nullptr) {
    DrawEdge(dc, &all, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    return;
  }
  const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  const int state = (style & WS_DISABLED) != 0   ? ETS_DISABLED
                    : (style & ES_READONLY) != 0 ? ETS_READONLY
                    : GetFocus() == hwnd         ? ETS_FOCUSED
                                                 : ETS_NORMAL;
  const int edge_x = GetSystemMetrics(SM_CXEDGE);
  const int edge_y = GetSystemMetrics(SM_CYEDGE);
  const int saved = SaveDC(dc);
  ExcludeClipRect(dc, all.left + edge_x, all.top + edge_y, all.right - edge_x, all.bottom - edge_y);
  draw_background(theme, dc, EP_EDITTEXT, state, &all, nullptr);
  RestoreDC(dc, saved);
  InflateRect(&all, -edge_x, -edge_y);
}

constexpr wchar_t kFormClass[] = L"QuorvaneForm";
constexpr wchar_t kPictureClass[] = L"QuorvanePictureBox";
constexpr wchar_t kImageClass[] = L"QuorvaneImage";
constexpr COLORREF kBorderColour = RGB(0x80, 0x80, 0x80);
constexpr UINT_PTR kRefusalTimer = 0x7FFF0000;
// Once the window has been on screen for a moment, the common controls are loaded for the first
// panel switch.
constexpr UINT_PTR kCommonControlsTimer = 0x7FFF0001;
constexpr UINT kCommonControlsDelayMs = 100;
constexpr int kComboListItems = 10;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);
constexpr UINT_PTR kSubclassId = 1;
// The edit field's own entries of a context menu, after the model's (numbered from 1).
enum EditEntry : UINT { kUndo = 0x7F01, kCut, kCopy, kPaste, kDelete, kSelectAll };
struct EditCommand {
  UINT id;
  const wchar_t* caption;
  UINT message;  // what the field's own menu sends it
  WPARAM w;
  LPARAM l;
};
constexpr EditCommand kEditCommands[] = {
    {kUndo, L"&Undo", WM_UNDO, 0, 0},      {kCut, L"Cu&t", WM_CUT, 0, 0},
    {kCopy, L"&Copy", WM_COPY, 0, 0},      {kPaste, L"&Paste", WM_PASTE, 0, 0},
    {kDelete, L"&Delete", WM_CLEAR, 0, 0}, {kSelectAll, L"Select &All", EM_SETSEL, 0, -1},
};

LRESULT def_subclass(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  return common_controls().def_subclass(hwnd, message, w, l);
}

// Whether the common controls are there; a tip is not worth a failure of its own, and the first
// control that needs them reports it.
bool have_common_controls() {
  static bool missing = false;
  if (missing) return false;
  try {
    common_controls();
    return true;
  } catch (const std::exception&) {
    missing = true;
    return false;
  }
}

COLORREF to_colour(Rgb rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

Rgb system_colour(int index) {
  const COLORREF c = GetSysColor(index);
  return (Rgb{GetRValue(c)} << 16) | (Rgb{GetGValue(c)} << 8) | Rgb{GetBValue(c)};
}

std::wstring window_text(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return text;
}

std::wstring wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

std::u16string utf16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

// A button takes "&" as the mark of its access key; a caption means it as it stands.
std::wstring button_caption(const std::string& caption) {
  std::wstring text;
  for (wchar_t c : from_model(caption)) {
    text.push_back(c);
    if (c == L'&') text.push_back(L'&');
  }
  return text;
}

int button_mask(WPARAM keys) {
  int mask = 0;
  if (keys & MK_LBUTTON) mask |= 1;
  if (keys & MK_RBUTTON) mask |= 2;
  if (keys & MK_MBUTTON) mask |= 4;
  return mask;
}

// Functions of newer Windows, looked up when there: per-monitor DPI came with Windows 10.
UINT dpi_of(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi_for_window = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (get_dpi_for_window != nullptr) {
    if (const UINT dpi = get_dpi_for_window(hwnd); dpi != 0) return dpi;
  }
  UINT dpi = 96;
  if (HDC dc = GetDC(hwnd)) {
    dpi = static_cast<UINT>(GetDeviceCaps(dc, LOGPIXELSX));
    ReleaseDC(hwnd, dc);
  }
  return dpi != 0 ? dpi : 96;
}

int check_mark_width(int dpi) {
  using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
  static const auto for_dpi = reinterpret_cast<GetSystemMetricsForDpiFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
  if (for_dpi != nullptr) return for_dpi(SM_CXMENUCHECK, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(SM_CXMENUCHECK), dpi, 96);
}

// The native control drawing one control, and what the view last put into it.
struct Binding {
  Control* control = nullptr;
  HWND hwnd = nullptr;
  HWND edit = nullptr;  // a text box, or the edit field of an editable combo box
  std::size_t parent = kNone;
  // Where the control's container has its client area, and (for a container) its own.
  Placement in;
  Placement inner;
  RECT box{};    // as laid out, in the container's client area
  RECT frame{};  // a container's border: its width on each side
  bool caption_set = false;
  std::string caption;
  bool items_set = false;
  std::vector<std::string> items;
  std::u16string tooltip;
  bool tool_added = false;
  bool timer_running = false;
  int timer_interval = 0;
  bool pressed = false;           // images: a left press that may become a click
  bool edit_tool_added = false;   // the tooltip over an editable combo's field
  bool contents_pending = false;  // a container whose children are made when it first shows
  bool window_pending = false;    // a container whose own window is made when it first shows
  bool turning = false;           // shown or hidden with the panel switch under way
  // The rows above and below the edit field's client area that centre its line of text.
  int field_pad_top = 0;
  int field_pad_bottom = 0;
  // A picture or caption that its container draws, with no window of its own (see lightweight()):
  // whether it is on show, where it is drawn (a caption may need more than its box), its font,
  // and where its tip is.
  bool windowless = false;
  bool shown = false;
  RECT area{};
  HFONT font = nullptr;
  RECT tool_rect{};
};

}  // namespace

struct Win32View::Impl {
  Impl(Form& f, Win32WindowSystem& w, ViewEvents e) : form(f), ws(w), core(f, w, std::move(e)) {
    core.on_sync([this] { sync_widgets(); });
  }
  ~Impl();

  Form& form;
  Win32WindowSystem& ws;
  ViewCore core;
  HWND main = nullptr;
  HWND tooltips = nullptr;
  HWND refusal = nullptr;
  int dpi = 96;
  std::vector<Binding> bindings;
  std::unordered_map<HWND, std::size_t> by_hwnd;
  std::unordered_map<const Control*, std::size_t> by_control;
  std::map<Rgb, HBRUSH> brushes;
  Appearance appearance = system_appearance();
  Fonts fonts;
  ArtCache art;
  bool quiet = false;  // the view is cleaning a field's text itself
  bool destroyed = false;
  bool holding_panels = false;  // windows keep their places until a panel switch is drawn
  MenuTracker track_menu;
  HWND focus_left = nullptr;  // where the keyboard was when the window lost the activation
  // The picture or caption drawn by its container that has the keyboard while the container
  // has the focus, and the one a left press went to, which keeps the mouse until the release.
  std::size_t focused_light = kNone;
  std::size_t pressed_light = kNone;

  void build(int wanted_dpi);
  void make_binding(std::size_t index);
  void create(std::size_t index);
  void build_contents(std::size_t container);
  // Makes the window of a container that was put off until it shows.
  void make_late(std::size_t index);
  bool realize(const Control& control);
  void stack(const Control& container);
  HWND create_child(const wchar_t* cls, const std::wstring& text, DWORD style, DWORD ex_style,
                    std::size_t index);
  // Whether the control is drawn by its container rather than by a window of its own.
  bool lightweight(std::size_t index) const;
  // The window that takes the control's input: its own, or its container's.
  HWND window_of(const Binding& b) const { return b.windowless ? bindings[b.parent].hwnd : b.hwnd; }
  // The control that has the keyboard when `hwnd` has the focus.
  Binding* focus_binding(HWND hwnd);
  bool has_focus(const Binding& b) const;
  // Redraws a control drawn by its container, where it is.
  void invalidate(const Binding& b);
  // Its number as a child of its container's accessible object: its place among the elements
  // (elements_of), from 1.
  LONG element_id(const Binding& b) const;
  // Tells a screen reader that it came, went or was renamed.
  void announce(const Binding& b, DWORD event) const;
  // Left, Right, Up or Down on a picture or caption that has the keyboard: to the previous or
  // next one of its container that takes the keyboard, round, as in a dialog's group.
  bool arrow_key(Binding& from, WPARAM key);
  // The controls drawn by the container, in the order they are drawn, over its surface.
  void draw_lightweight(std::size_t container, HDC dc);
  // The one of them at `at` (the container's client pixels), topmost first.
  Binding* lightweight_at(std::size_t container, POINT at);
  // The mouse over a container, where it may be over one of them: true when taken.
  bool lightweight_mouse(std::size_t container, HWND hwnd, UINT message, WPARAM w, LPARAM l,
                         LRESULT& result);
  std::vector<AccessibleElement> elements_of(std::size_t container);
  void add_tooltips();
  void hovered(HWND hwnd, UINT message, WPARAM w, LPARAM l);
  void sync_tooltip(Binding& b);
  HWND refusal_tip();
  void layout();
  void place(std::size_t index);
  void place_combo(Binding& b);
  void set_font(Binding& b, HFONT font);
  void fit_caption(Binding& b);
  void fit_items(Binding& b);

  Binding* find(HWND hwnd);
  HBRUSH brush_for(Rgb rgb);
  ControlColours colours(const Binding& b) const { return colours_for(*b.control, appearance); }
  // Help tooltips are on while the view core allows them.
  void follow_tips();
  // Paints what a container shows beneath its children (colour, artwork, border) with the
  // container's top left at the DC's origin.
  void paint_surface(std::size_t container, HDC dc);
  // The same, beneath one child: the child's DC, the child's top left at its origin.
  void paint_beneath(const Binding& child, HDC dc);
  // Into `into`, the window's top left at its origin, or else into the window itself.
  void paint_frame(const Binding& b, HDC into = nullptr);
  void paint_field_pads(const Binding& b, HDC into = nullptr);
  // A label's caption over what its container shows beneath it.
  void draw_label(const Binding& b, HDC dc, const RECT& area);

  void command(Binding& b, UINT code);
  // A click of an image or label, by the mouse or from the keyboard; the focus then goes where
  // the model says.
  void activate(Binding& b);
  // Tab, Enter or Space on an image or label, and the menu keys: true when taken.
  bool filter_key(const MSG& message);
  // The keys of an editable combo's list go the view core's way, closed and open alike: true
  // when taken.
  bool list_key(const MSG& message, bool down);
  void move_focus(HWND from, bool backwards);
  // Gives the control the keyboard. A field reached from the keyboard has its text selected,
  // as in a dialog; one given the keyboard as a click would (`select_text` false) keeps its caret.
  void focus(Binding& b, bool select_text = true);
  void focus_first();
  // The context menu of the control drawn by `hwnd` (or its edit field) at `l` (screen
  // coordinates, or -1, -1 from the keyboard); false for a control that has none.
  bool context_menu(HWND hwnd, LPARAM l);
  AccessibleFacts facts_for(const Binding& b) const;
  void draw_focus(const Binding& b, HDC dc);
  void text_changed(Binding& b);
  // Pastes the clipboard's text into the field whole, its lines joined, as the core cleans it: a
  // one-line field would keep only the first line.
  void paste(Binding& b);
  // Files dropped on the control from Explorer: their paths go to the core.
  void files_dropped(Binding& b, HDROP drop);
  // Puts the core's cleaned text into the field and shows the note of what it refused.
  void show_cleaned(Binding& b, const std::wstring& before, const CleanText& clean);
  void show_refusal(HWND field, const std::u16string& chars);

  // Syncs unless the window is gone.
  void sync();
  void sync_widgets();
  // Shows and hides the windows whose turn it is, and puts what they change on screen at once.
  void turn_panels();
  void print_tree(HWND hwnd, HDC dc, const RECT& area, const RECT& clip);
  void print_frame(const Binding* b, HWND hwnd, HDC dc);
  // One window's frame or client area drawn into the picture, where the window lies.
  void print_into(HWND hwnd, HDC dc, const RECT& where, const RECT& clip, const RECT& area,
                  bool frame);
  void sync_one(Binding& b);
  void sync_items(Binding& b);
  void sync_text(Binding& b);

  LRESULT container_message(std::size_t index, HWND hwnd, UINT message, WPARAM w, LPARAM l);
  LRESULT image_message(Binding& b, HWND hwnd, UINT message, WPARAM w, LPARAM l);

  static LRESULT CALLBACK container_proc(HWND hwnd, UINT message, WPARAM w, LPARAM l);
  static LRESULT CALLBACK image_proc(HWND hwnd, UINT message, WPARAM w, LPARAM l);
  static LRESULT CALLBACK control_subclass(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                           DWORD_PTR data);
  LRESULT control_message(Binding& b, HWND hwnd, UINT message, WPARAM w, LPARAM l);
  static void register_classes();
  static Impl* view_of(HWND hwnd, UINT message, LPARAM l);
};

Win32View::Impl* Win32View::Impl::view_of(HWND hwnd, UINT message, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return reinterpret_cast<Win32View::Impl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void Win32View::Impl::register_classes() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(kIconId));
  HICON small_icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), 0));

  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = container_proc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
  cls.hIcon = icon;
  cls.hIconSm = small_icon;
  cls.lpszClassName = kFormClass;
  RegisterClassExW(&cls);

  cls.hIcon = nullptr;
  cls.hIconSm = nullptr;
  cls.lpszClassName = kPictureClass;
  RegisterClassExW(&cls);

  cls.lpfnWndProc = image_proc;
  cls.lpszClassName = kImageClass;
  RegisterClassExW(&cls);
}

Win32View::Impl::~Impl() {
  ws.set_key_filter(nullptr);
  if (main != nullptr && !destroyed) {
    destroyed = true;  // nothing more reaches the logic
    DestroyWindow(main);
  }
  if (ws.window() == main) ws.attach(nullptr);
  for (auto& [rgb, brush] : brushes) DeleteObject(brush);
}

HBRUSH Win32View::Impl::brush_for(Rgb rgb) {
  auto it = brushes.find(rgb);
  if (it == brushes.end()) it = brushes.emplace(rgb, CreateSolidBrush(to_colour(rgb))).first;
  return it->second;
}

Binding* Win32View::Impl::find(HWND hwnd) {
  auto it = by_hwnd.find(hwnd);
  return it == by_hwnd.end() ? nullptr : &bindings[it->second];
}

void Win32View::Impl::build(int wanted_dpi) {
  register_classes();

  Control& root = form.root();
  Binding root_binding;
  root_binding.control = &root;
  bindings.push_back(root_binding);
  by_control.emplace(&root, 0);

  const std::wstring title = wide(core.title());
  // A popup: no system border and no system title bar, the client area is the whole window.
  main = CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, title.c_str(),
                         WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0,
                         to_pixels(root.rect().width), to_pixels(root.rect().height), nullptr,
                         nullptr, GetModuleHandleW(nullptr), this);
  if (main == nullptr) {
    throw std::runtime_error("the window could not be made (error " +
                             std::to_string(GetLastError()) + ")");
  }
  bindings[0].hwnd = main;
  by_hwnd.emplace(main, 0);
  ws.attach(main);
  ws.set_key_filter([this](const MSG& message) { return filter_key(message); });
  track_menu = [](HMENU menu, POINT at, HWND owner) {
    return static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                            at.x, at.y, 0, owner, nullptr));
  };
  dpi = wanted_dpi > 0 ? wanted_dpi : static_cast<int>(dpi_of(main));

  const auto& controls = form.controls();
  for (std::size_t i = 1; i < controls.size(); ++i) make_binding(i);
  layout();
  bindings[0].contents_pending = true;
  build_contents(0);
}

HWND Win32View::Impl::create_child(const wchar_t* cls, const std::wstring& text, DWORD style,
                                   DWORD ex_style, std::size_t index) {
  Binding& b = bindings[index];
  HWND parent = bindings[b.parent].hwnd;
  // The system's controls come from the common controls, loaded with the first of them.
  if (cls != kPictureClass && cls != kImageClass) common_controls();
  HWND hwnd = CreateWindowExW(
      ex_style, cls, text.c_str(), WS_CHILD | WS_CLIPSIBLINGS | style, 0, 0, 0, 0, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(index + 1)), GetModuleHandleW(nullptr), this);
  if (hwnd == nullptr) {
    throw std::runtime_error("the control " + b.control->display_name() +
                             " could not be made (error " + std::to_string(GetLastError()) + ")");
  }
  return hwnd;
}

void Win32View::Impl::make_binding(std::size_t index) {
  Control& c = *form.controls()[index];
  Binding b;
  b.control = &c;
  b.parent = by_control.at(c.parent());
  const Binding& container = bindings[b.parent];
  b.in = b.parent == 0 ? Placement{} : container.inner;
  if (c.kind() == Kind::PictureBox) {
    b.inner = front_end::inside(c, b.in);
  }
  bindings.push_back(b);
  by_control.emplace(&c, index);
}

void Win32View::Impl::build_contents(std::size_t container) {
  if (!bindings[container].contents_pending) return;
  bindings[container].contents_pending = false;
  const Control& c = *bindings[container].control;
  for (const Control* child : c.children()) create(by_control.at(child));
  stack(c);
  for (const Control* child : c.children()) {
    const std::size_t index = by_control.at(child);
    place(index);
    if (core.contents_due(*child)) build_contents(index);
  }
}

bool Win32View::Impl::realize(const Control& control) {
  if (control.parent() == nullptr) return true;
  if (!realize(*control.parent())) return false;
  build_contents(by_control.at(control.parent()));
  make_late(by_control.at(&control));
  return true;
}

void Win32View::Impl::make_late(std::size_t index) {
  if (!bindings[index].window_pending) return;
  bindings[index].window_pending = false;
  create(index);
  // Made last, it is stacked as though made in its turn.
  stack(*bindings[index].control->parent());
  place(index);
}

bool Win32View::Impl::lightweight(std::size_t index) const {
  const Control& c = *bindings[index].control;
  if (c.kind() != Kind::Image && c.kind() != Kind::Label) return false;
  // Drawn on its container's surface, beneath all of the container's windows: one that lies over
  // a window made before it, and so is drawn above that window, keeps a window of its own.
  const Twips& r = c.rect();
  for (const Control* sibling : c.parent()->children()) {
    if (sibling == &c) break;
    const Binding& other = bindings[by_control.at(sibling)];
    if (other.hwnd == nullptr && !other.window_pending) continue;
    const Twips& s = sibling->rect();
    if (r.left < s.left + s.width && s.left < r.left + r.width && r.top < s.top + s.height &&
        s.top < r.top + r.height) {
      return false;
    }
  }
  return true;
}

void Win32View::Impl::create(std::size_t index) {
  Control& c = *form.controls()[index];
  HWND hwnd = nullptr;
  // Pictures and captions are most of the windows of a page, and every window the system makes,
  // places, clips and paints costs the start and each panel switch: those that can be are drawn
  // by their container, and take the mouse, the keyboard and a screen reader's questions
  // through it.
  if (lightweight(index)) {
    bindings[index].windowless = true;
    return;
  }
  // A panel that is not on show gets its window when it is first shown: most panels are hidden.
  if (c.kind() == Kind::PictureBox && !bindings[index].window_pending && !core.drawn(c) &&
      bindings[bindings[index].parent].hwnd != main && IsWindowVisible(main) == FALSE) {
    bindings[index].window_pending = true;
    return;
  }
  switch (c.kind()) {
    case Kind::PictureBox:
      // Children take Tab and the arrow keys through it, as through a dialog's group.
      hwnd = create_child(kPictureClass, L"", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, index);
      break;
    case Kind::Image:
    case Kind::WarningSign:
    case Kind::ChangeMark:
      // Named as a screen reader reads it: the window text is what the system's object says.
      hwnd = create_child(kImageClass, from_model(ViewCore::spoken_name(c)),
                          c.activatable ? WS_TABSTOP : 0, 0, index);
      break;
    case Kind::Label:
      // SS_NOTIFY makes a label take the mouse over its own area: a press on the title text
      // must not reach the title bar beneath and drag the window. Its container draws it
      // (draw_label), so that a bold caption stays bold whatever the font makes of it.
      hwnd = create_child(WC_STATICW, L"",
                          SS_OWNERDRAW | SS_NOTIFY | (c.activatable ? WS_TABSTOP : 0), 0, index);
      break;
    case Kind::Button:
      hwnd = create_child(WC_BUTTONW, button_caption(c.caption()), BS_PUSHBUTTON | WS_TABSTOP, 0,
                          index);
      break;
    case Kind::Line:
      hwnd = create_child(WC_STATICW, L"", SS_ETCHEDHORZ, 0, index);
      break;
    case Kind::CheckBox:
      // Not an automatic box: the model decides the state, the view only shows it.
      hwnd = create_child(WC_BUTTONW, L"", BS_CHECKBOX | WS_TABSTOP, 0, index);
      break;
    case Kind::OptionButton:
      hwnd = create_child(WC_BUTTONW, L"", BS_RADIOBUTTON | WS_TABSTOP, 0, index);
      break;
    case Kind::ComboBox:
      hwnd = create_child(WC_COMBOBOXW, L"",
                          CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0, index);
      break;
    case Kind::TextBox:
      hwnd = create_child(WC_EDITW, L"", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, index);
      break;
    case Kind::DriveList:
      hwnd = create_child(WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, index);
      break;
    case Kind::Timer:
      break;
  }
  Binding& made = bindings[index];
  made.hwnd = hwnd;
  if (hwnd == nullptr) return;
  // Pages not on screen get their contents when first shown: most of the window is hidden
  // panels, and making their controls up front would more than double the time to the first
  // window.
  made.contents_pending = c.kind() == Kind::PictureBox;
  by_hwnd.emplace(hwnd, index);
  if (c.kind() == Kind::TextBox) {
    made.edit = hwnd;
  } else if (c.kind() == Kind::ComboBox) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(hwnd, &info)) made.edit = info.hwndItem;
  }
  if (made.edit != nullptr) {
    // Values have no length limit; the edit control's default of 30000 characters would cut
    // a long one.
    SendMessageW(made.edit, EM_SETLIMITTEXT, 0, 0);
  }
  if (c.kind() == Kind::ComboBox || c.kind() == Kind::DriveList) {
    SendMessageW(hwnd, CB_SETMINVISIBLE, kComboListItems, 0);
  }
  // The standard controls answer a screen reader, show a menu and a focus the model's way.
  if (c.kind() != Kind::PictureBox && c.kind() != Kind::Image && c.kind() != Kind::WarningSign &&
      c.kind() != Kind::ChangeMark) {
    common_controls().set_subclass(hwnd, control_subclass, kSubclassId,
                                   reinterpret_cast<DWORD_PTR>(this));
  }
  // A path box and its button take files dragged from Explorer. The style is what
  // DragAcceptFiles sets, set here so that the shell stays unloaded until something is dropped;
  // while files are over it the system's pointer shows that it takes them.
  if (c.takes_drops()) {
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
  }
  if (made.edit != nullptr && made.edit != hwnd) {
    by_hwnd.emplace(made.edit, index);
    common_controls().set_subclass(made.edit, control_subclass, kSubclassId,
                                   reinterpret_cast<DWORD_PTR>(this));
  }
}

void Win32View::Impl::stack(const Control& container) {
  // A container's children are drawn in order, later ones above (a sub-page is moved to the end
  // of its panel's children, so it is not where it was made). A new window goes to the bottom of
  // its siblings; each child that overlaps an earlier one is raised above them all, and the
  // others keep the order they were made in, which is also the order Tab takes through them.
  const std::vector<Control*>& children = container.children();
  for (std::size_t i = 0; i < children.size(); ++i) {
    const Twips& r = children[i]->rect();
    HWND hwnd = bindings[by_control.at(children[i])].hwnd;
    if (hwnd == nullptr) continue;
    for (std::size_t j = 0; j < i; ++j) {
      const Twips& s = children[j]->rect();
      const bool overlaps = r.left < s.left + s.width && s.left < r.left + r.width &&
                            r.top < s.top + s.height && s.top < r.top + r.height;
      if (overlaps && children[j]->kind() != Kind::Timer) {
        SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        break;
      }
    }
  }
}

// The help's tips are made when the pointer first comes over the window rather than at start:
// their window and a tool for each control held the first frame back by a tenth.
void Win32View::Impl::add_tooltips() {
  if (tooltips != nullptr || destroyed || !have_common_controls()) return;
  tooltips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, main, nullptr, GetModuleHandleW(nullptr),
                             nullptr);
  if (tooltips == nullptr) return;
  SendMessageW(tooltips, TTM_SETMAXTIPWIDTH, 0, MulDiv(400, dpi, 96));
  // A list may be open already, its help held back.
  follow_tips();
  for (Binding& b : bindings) {
    if (b.hwnd != nullptr || b.windowless) sync_tooltip(b);
  }
}

// The pointer over one of the view's windows: the first time, the tips are made, and the move
// that made them is theirs too, so that a pointer that comes to rest at once still gets its tip.
void Win32View::Impl::hovered(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  if (message != WM_MOUSEMOVE || tooltips != nullptr) return;
  add_tooltips();
  if (tooltips == nullptr) return;
  MSG move{hwnd, message, w, l, static_cast<DWORD>(GetMessageTime()), {}};
  const DWORD at = GetMessagePos();
  move.pt = POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  SendMessageW(tooltips, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&move));
}

// The refusal of a character: shown under its field on demand, for a few seconds. Made with the
// first refusal.
HWND Win32View::Impl::refusal_tip() {
  if (refusal != nullptr || destroyed || !have_common_controls()) return refusal;
  refusal = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, main,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
  if (refusal != nullptr) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = main;
    tool.uId = 1;
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(refusal, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  return refusal;
}

void Win32View::Impl::layout() {
  fonts.clear();
  const Control& root = form.root();
  SetWindowPos(main, nullptr, 0, 0, to_pixels(root.rect().width, dpi),
               to_pixels(root.rect().height, dpi), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (std::size_t i = 1; i < bindings.size(); ++i) place(i);
  if (tooltips != nullptr) {
    SendMessageW(tooltips, TTM_SETMAXTIPWIDTH, 0, MulDiv(400, dpi, 96));
  }
  RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Win32View::Impl::place(std::size_t index) {
  Binding& b = bindings[index];
  if (b.hwnd == nullptr && !b.windowless) return;
  const Control& c = *b.control;
  // Pixels are rounded from window-wide twips, so that what lines up in twips lines up on
  // screen.
  const front_end::PixelRect p = front_end::place(c.rect(), b.in, dpi);
  b.box = RECT{p.x, p.y, p.x + p.width, p.y + p.height};
  if (c.kind() == Kind::PictureBox && c.border) {
    // The border is a pixel at 96 dpi, as wide as the layout's rounding makes it at others. It
    // lies outside the client area, so that the children cannot draw over it.
    const Twips& r = c.rect();
    const int left = b.in.client_left + r.left;
    const int top = b.in.client_top + r.top;
    b.frame =
        RECT{to_pixels(left + kTwipsPerPixel, dpi) - to_pixels(left, dpi),
             to_pixels(top + kTwipsPerPixel, dpi) - to_pixels(top, dpi),
             to_pixels(left + r.width, dpi) - to_pixels(left + r.width - kTwipsPerPixel, dpi),
             to_pixels(top + r.height, dpi) - to_pixels(top + r.height - kTwipsPerPixel, dpi)};
    SetWindowPos(b.hwnd, nullptr, b.box.left, b.box.top, p.width, p.height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return;
  }

  if (b.windowless) {
    invalidate(b);
    b.area = b.box;
    if (c.kind() == Kind::Label) {
      set_font(b, fonts.get(c.font, dpi));
      if (b.caption_set) fit_caption(b);
    }
    invalidate(b);
    sync_tooltip(b);
    return;
  }
  switch (c.kind()) {
    case Kind::Line:
      // A rule with no height in the layout: the etched line and its light edge.
      SetWindowPos(b.hwnd, nullptr, b.box.left, b.box.top, std::max<int>(p.width, 1), 2,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return;
    case Kind::ComboBox:
    case Kind::DriveList:
      set_font(b, fonts.get(c.font, dpi));
      if (c.kind() == Kind::ComboBox && b.items_set) fit_items(b);
      place_combo(b);
      return;
    default:
      break;
  }
  SetWindowPos(b.hwnd, nullptr, b.box.left, b.box.top, p.width, p.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  switch (c.kind()) {
    case Kind::Label:
    case Kind::CheckBox:
    case Kind::OptionButton:
      set_font(b, fonts.get(c.font, dpi));
      if (b.caption_set) fit_caption(b);
      break;
    case Kind::TextBox:
    case Kind::Button:
      set_font(b, fonts.get(c.font, dpi));
      break;
    default:
      break;
  }
}

void Win32View::Impl::place_combo(Binding& b) {
  const int width = b.box.right - b.box.left;
  const int height = b.box.bottom - b.box.top;
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(b.hwnd, WM_GETFONT, 0, 0));
  const int item = font != nullptr ? line_height(font) : height;
  // The height given to a combo box is that of its dropped list too; the closed box is as high
  // as its selection field makes it, so the field is sized until the box has the layout's height.
  SetWindowPos(b.hwnd, nullptr, b.box.left, b.box.top, width, height + kComboListItems * item + 2,
               SWP_NOZORDER | SWP_NOACTIVATE);
  int field = std::max(1, height - 6);
  for (int tries = 0; tries < 3; ++tries) {
    SendMessageW(b.hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    RECT now{};
    GetWindowRect(b.hwnd, &now);
    const int off = (now.bottom - now.top) - height;
    if (off == 0 || field - off < 1) break;
    field -= off;
  }
  SendMessageW(b.hwnd, CB_SETITEMHEIGHT, 0, item);
}

void Win32View::Impl::set_font(Binding& b, HFONT font) {
  if (b.windowless) {
    b.font = font;
    return;
  }
  SendMessageW(b.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void Win32View::Impl::fit_caption(Binding& b) {
  const Control& c = *b.control;
  const int width = b.box.right - b.box.left;
  if (c.kind() == Kind::CheckBox || c.kind() == Kind::OptionButton) {
    // The button knows best what its mark, the gap and the caption take together.
    const std::wstring text = button_caption(c.caption());
    HFONT font = fonts.fit(
        c.font, dpi,
        [&](HFONT f) {
          SendMessageW(b.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
          SIZE ideal{0, 0};
          if (SendMessageW(b.hwnd, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) &&
              ideal.cx > 0) {
            return static_cast<int>(ideal.cx);
          }
          return static_cast<int>(text_extent(f, text).cx) + check_mark_width(dpi) +
                 MulDiv(4, dpi, 96);
        },
        width);
    set_font(b, font);
    return;
  }
  if (c.kind() != Kind::Label) return;
  const std::wstring text = from_model(c.caption());
  // Fonts are measured only for a caption there is.
  if (text.empty()) return;
  HFONT font = fonts.fit(
      c.font, dpi, [&](HFONT f) { return static_cast<int>(text_extent(f, text).cx); }, width);
  set_font(b, font);
  RECT client{};
  GetClientRect(bindings[b.parent].hwnd, &client);
  const int caption_width = text_extent(font, text).cx + (overstruck(font) ? 1 : 0);
  const PixelSize size = label_box(c, PixelSize{width, b.box.bottom - b.box.top}, caption_width,
                                   line_height(font), client.right - b.box.left);
  if (b.windowless) {
    b.area = RECT{b.box.left, b.box.top, b.box.left + size.width, b.box.top + size.height};
    return;
  }
  SetWindowPos(b.hwnd, nullptr, b.box.left, b.box.top, size.width, size.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32View::Impl::fit_items(Binding& b) {
  const Control& c = *b.control;
  HFONT nominal = fonts.get(c.font, dpi);
  const std::wstring widest = from_model(widest_entry(c, [nominal](const std::string& item) {
    return static_cast<int>(text_extent(nominal, from_model(item)).cx);
  }));
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  int field = (b.box.right - b.box.left) - GetSystemMetrics(SM_CXVSCROLL) - 6;
  if (GetComboBoxInfo(b.hwnd, &info)) field = info.rcItem.right - info.rcItem.left;
  const int margins = MulDiv(kFieldTextMargins, dpi, 96);
  set_font(b, fonts.fit(
                  c.font, dpi,
                  [&](HFONT f) { return static_cast<int>(text_extent(f, widest).cx) + margins; },
                  field));
}

void Win32View::Impl::paint_surface(std::size_t container, HDC dc) {
  const Binding& b = bindings[container];
  RECT client{};
  GetClientRect(b.hwnd, &client);
  const ControlColours colours = this->colours(b);
  FillRect(dc, &client, brush_for(colours.background));
  if (colours.surface_art) art.draw(dc, b.control->picture, client, dpi);
  draw_lightweight(container, dc);
}

void Win32View::Impl::draw_lightweight(std::size_t container, HDC dc) {
  for (const Control* child : bindings[container].control->children()) {
    const Binding& b = bindings[by_control.at(child)];
    if (!b.windowless || !b.shown) continue;
    if (child->kind() == Kind::Label) {
      draw_label(b, dc, b.area);
    } else {
      // Artwork has transparent parts: the surface beneath shows through them, or its plate.
      if (const std::optional<Rgb> plate = colours(b).art_plate) {
        FillRect(dc, &b.area, brush_for(*plate));
      }
      art.draw(dc, child->picture, b.area, dpi);
    }
    draw_focus(b, dc);
  }
}

Binding* Win32View::Impl::lightweight_at(std::size_t container, POINT at) {
  const std::vector<Control*>& children = bindings[container].control->children();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    Binding& b = bindings[by_control.at(*it)];
    if (b.windowless && b.shown && PtInRect(&b.area, at)) return &b;
  }
  return nullptr;
}

void Win32View::Impl::invalidate(const Binding& b) {
  if (!b.windowless || IsRectEmpty(&b.area)) return;
  InvalidateRect(bindings[b.parent].hwnd, &b.area, FALSE);
}

LONG Win32View::Impl::element_id(const Binding& b) const {
  LONG child = 0;
  for (const Control* sibling : bindings[b.parent].control->children()) {
    if (bindings[by_control.at(sibling)].windowless) ++child;
    if (sibling == b.control) break;
  }
  return child;
}

void Win32View::Impl::announce(const Binding& b, DWORD event) const {
  NotifyWinEvent(event, bindings[b.parent].hwnd, OBJID_CLIENT, element_id(b));
}

bool Win32View::Impl::arrow_key(Binding& from, WPARAM key) {
  const bool back = key == VK_LEFT || key == VK_UP;
  if (!back && key != VK_RIGHT && key != VK_DOWN) return false;
  const std::vector<Control*>& siblings = bindings[from.parent].control->children();
  const auto at = std::find(siblings.begin(), siblings.end(), from.control);
  if (at == siblings.end()) return false;
  const std::size_t count = siblings.size();
  std::size_t i = static_cast<std::size_t>(at - siblings.begin());
  for (std::size_t step = 1; step < count; ++step) {
    i = back ? (i + count - 1) % count : (i + 1) % count;
    Binding& next = bindings[by_control.at(siblings[i])];
    if (next.windowless && next.shown && next.control->activatable) {
      focus(next);
      return true;
    }
  }
  return true;
}

bool Win32View::Impl::has_focus(const Binding& b) const {
  if (!b.windowless) return b.hwnd != nullptr && GetFocus() == b.hwnd;
  return focused_light == static_cast<std::size_t>(&b - bindings.data()) &&
         GetFocus() == bindings[b.parent].hwnd;
}

Binding* Win32View::Impl::focus_binding(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  if (focused_light != kNone && bindings[focused_light].shown &&
      bindings[bindings[focused_light].parent].hwnd == hwnd) {
    return &bindings[focused_light];
  }
  return find(hwnd);
}

void Win32View::Impl::draw_label(const Binding& b, HDC dc, const RECT& area) {
  HFONT font = b.font;
  if (b.windowless) {
    // Over its container's surface, drawn already: over artwork it is drawn on the artwork.
    const ControlColours own = colours(b);
    SetTextColor(dc, to_colour(own.text));
    const Binding& container = bindings[b.parent];
    if (container.control->picture.empty() || !colours(container).surface_art) {
      FillRect(dc, &area, brush_for(own.background));
    }
  } else {
    // The colours and what lies beneath are the container's, as for any static text of it.
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(bindings[b.parent].hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(b.hwnd)));
    if (brush != nullptr && brush != GetStockObject(NULL_BRUSH)) FillRect(dc, &area, brush);
    font = reinterpret_cast<HFONT>(SendMessageW(b.hwnd, WM_GETFONT, 0, 0));
  }
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  const std::wstring text = from_model(b.control->caption());
  const UINT format = DT_NOPREFIX | DT_EXPANDTABS |
                      (b.control->align == Align::Center ? DT_CENTER | DT_WORDBREAK : DT_LEFT);
  RECT r = area;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  if (overstruck(font)) {
    r = area;
    OffsetRect(&r, 1, 0);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  }
  SelectObject(dc, old);
}

void Win32View::Impl::paint_field_pads(const Binding& b, HDC into) {
  HDC dc = into != nullptr ? into : GetWindowDC(b.edit);
  if (dc == nullptr) return;
  RECT window{};
  GetWindowRect(b.edit, &window);
  RECT client{};
  GetClientRect(b.edit, &client);
  MapWindowPoints(b.edit, nullptr, reinterpret_cast<POINT*>(&client), 2);
  OffsetRect(&client, -window.left, -window.top);
  // The field's own background, as the field asks its parent for it.
  const bool writable =
      IsWindowEnabled(b.edit) != FALSE && (GetWindowLongPtrW(b.edit, GWL_STYLE) & ES_READONLY) == 0;
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(GetParent(b.edit), writable ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC,
                   reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(b.edit)));
  if (brush == nullptr) brush = GetSysColorBrush(writable ? COLOR_WINDOW : COLOR_3DFACE);
  const RECT above{client.left, client.top - b.field_pad_top, client.right, client.top};
  const RECT below{client.left, client.bottom, client.right, client.bottom + b.field_pad_bottom};
  FillRect(dc, &above, brush);
  FillRect(dc, &below, brush);
  if (into == nullptr) ReleaseDC(b.edit, dc);
}

void Win32View::Impl::paint_frame(const Binding& b, HDC into) {
  if (b.frame.left == 0 && b.frame.top == 0 && b.frame.right == 0 && b.frame.bottom == 0) return;
  HDC dc = into != nullptr ? into : GetWindowDC(b.hwnd);
  if (dc == nullptr) return;
  RECT all{};
  GetWindowRect(b.hwnd, &all);
  OffsetRect(&all, -all.left, -all.top);
  const RECT edges[] = {
      {0, 0, all.right, b.frame.top},
      {0, all.bottom - b.frame.bottom, all.right, all.bottom},
      {0, b.frame.top, b.frame.left, all.bottom - b.frame.bottom},
      {all.right - b.frame.right, b.frame.top, all.right, all.bottom - b.frame.bottom}};
  HBRUSH frame = CreateSolidBrush(kBorderColour);
  for (const RECT& edge : edges) FillRect(dc, &edge, frame);
  DeleteObject(frame);
  if (into == nullptr) ReleaseDC(b.hwnd, dc);
}

void Win32View::Impl::paint_beneath(const Binding& child, HDC dc) {
  POINT old{};
  OffsetViewportOrgEx(dc, -child.box.left, -child.box.top, &old);
  paint_surface(child.parent, dc);
  SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

void Win32View::Impl::follow_tips() {
  if (tooltips != nullptr) SendMessageW(tooltips, TTM_ACTIVATE, core.help_tips_shown(), 0);
}

void Win32View::Impl::command(Binding& b, UINT code) {
  Control& c = *b.control;
  if (c.kind() == Kind::ComboBox || c.kind() == Kind::DriveList) {
    // A tip up over the box, or one that would come up over it, would cover the panel beside
    // the list.
    if (code == CBN_DROPDOWN) {
      core.list_opened(c);
      follow_tips();
    } else if (code == CBN_CLOSEUP) {
      core.list_closed(c);
      follow_tips();
    }
  }
  switch (c.kind()) {
    case Kind::CheckBox:
      // Not an automatic box: a click asks for the other state, and the model decides.
      if (code == BN_CLICKED) {
        core.check_box_clicked(c, SendMessageW(b.hwnd, BM_GETCHECK, 0, 0) != BST_CHECKED);
      }
      break;
    case Kind::OptionButton:
      if (code == BN_CLICKED) core.option_chosen(c);
      break;
    case Kind::Label:
      if (code == STN_CLICKED) activate(b);
      break;
    case Kind::Button:
      if (code == BN_CLICKED) core.button_clicked(c);
      break;
    case Kind::TextBox:
      if (code == EN_CHANGE) text_changed(b);
      break;
    case Kind::ComboBox:
      if (code == CBN_SELCHANGE) {
        // The field takes the chosen item's text only after this notification.
        if (core.syncing()) break;
        core.item_chosen(c, static_cast<int>(SendMessageW(b.hwnd, CB_GETCURSEL, 0, 0)));
      } else if (code == CBN_EDITCHANGE || code == CBN_CLOSEUP || code == CBN_SELENDCANCEL) {
        text_changed(b);
      }
      break;
    case Kind::DriveList: {
      // A pick is the item the user settles on: browsing the open list with the arrow keys
      // picks nothing until the list closes on a choice.
      const bool dropped = SendMessageW(b.hwnd, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
      if ((code == CBN_SELENDOK || (code == CBN_SELCHANGE && !dropped)) && !core.syncing()) {
        core.drive_picked(c, static_cast<int>(SendMessageW(b.hwnd, CB_GETCURSEL, 0, 0)));
      }
      break;
    }
    default:
      break;
  }
}

void Win32View::Impl::text_changed(Binding& b) {
  if (core.syncing() || quiet || b.edit == nullptr) return;
  const std::wstring text = window_text(b.edit);
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(b.edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  show_cleaned(b, text, core.text_edited(*b.control, utf16(text), end));
}

void Win32View::Impl::paste(Binding& b) {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(b.edit)) return;
  std::wstring pasted;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      pasted = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  std::wstring text = window_text(b.edit);
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(b.edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  start = std::min<DWORD>(start, static_cast<DWORD>(text.size()));
  end = std::clamp<DWORD>(end, start, static_cast<DWORD>(text.size()));
  text.replace(start, end - start, pasted);
  const CleanText clean = core.text_edited(*b.control, utf16(text), start + pasted.size());
  // The model's sync may have put the text in already, and with it the caret at the start: the
  // caret goes after what was pasted either way.
  show_cleaned(b, window_text(b.edit), clean);
  SendMessageW(b.edit, EM_SETSEL, clean.caret, clean.caret);
}

void Win32View::Impl::show_cleaned(Binding& b, const std::wstring& before, const CleanText& clean) {
  if (destroyed) return;
  const std::wstring shown = wide(clean.shown);
  if (shown != before) {
    quiet = true;
    SetWindowTextW(b.edit, shown.c_str());
    quiet = false;
  }
  if (shown != before || !clean.refused.empty()) {
    SendMessageW(b.edit, EM_SETSEL, clean.caret, clean.caret);
  }
  if (!clean.refused.empty()) show_refusal(b.hwnd, clean.refused);
}

void Win32View::Impl::show_refusal(HWND field, const std::u16string& chars) {
  if (refusal_tip() == nullptr) return;
  std::wstring text = wide(refusal_note(chars));
  // The field's help would cover the note: it goes until the pointer comes back.
  if (tooltips != nullptr) SendMessageW(tooltips, TTM_POP, 0, 0);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = main;
  tool.uId = 1;
  tool.lpszText = text.data();
  SendMessageW(refusal, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  RECT where{};
  GetWindowRect(field, &where);
  SendMessageW(refusal, TTM_TRACKPOSITION, 0, MAKELPARAM(where.left, where.bottom));
  SendMessageW(refusal, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  SetTimer(main, kRefusalTimer, kRefusalNoteMs, nullptr);
}

void Win32View::Impl::sync() {
  if (!destroyed) core.sync();
}

void Win32View::Impl::sync_widgets() {
  if (destroyed) return;
  // A panel switch hides one page and shows another, whose controls may be made only now. Each
  // control would reach the screen as it paints, so the pages keep their places until all of
  // the new one is in order, and then the new picture goes to the screen in one copy.
  for (std::size_t i = 0; i < bindings.size(); ++i) {
    if (bindings[i].window_pending && core.drawn(*bindings[i].control)) make_late(i);
    if (bindings[i].contents_pending && core.contents_due(*bindings[i].control)) {
      build_contents(i);
    }
  }
  // Every window that comes or goes with a panel: the controls of a page that goes go too.
  bool panel = false;
  for (Binding& b : bindings) {
    // A picture or caption drawn by its container comes or goes in the same picture.
    b.turning = b.windowless ? b.shown != core.drawn(*b.control)
                             : b.hwnd != nullptr && b.hwnd != main &&
                                   ((GetWindowLongPtrW(b.hwnd, GWL_STYLE) & WS_VISIBLE) != 0) !=
                                       core.drawn(*b.control);
    panel = panel || (b.turning && b.control->kind() == Kind::PictureBox);
  }
  // Before the window is first shown there is nothing on screen to keep whole, and drawing it
  // aside would only be thrown away.
  panel = panel && IsWindowVisible(main);
  holding_panels = panel;
  for (Binding& b : bindings) sync_one(b);
  holding_panels = false;
  if (panel) turn_panels();
}

void Win32View::Impl::turn_panels() {
  RECT area{};
  for (const Binding& b : bindings) {
    if (!b.turning) continue;
    RECT r = b.area;
    if (b.windowless) {
      MapWindowPoints(bindings[b.parent].hwnd, main, reinterpret_cast<POINT*>(&r), 2);
    } else {
      GetWindowRect(b.hwnd, &r);
      MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    }
    UnionRect(&area, &area, &r);
  }
  // The windows come and go without drawing anything...
  for (const Binding& b : bindings) {
    if (!b.turning || b.windowless) continue;
    const bool visible = core.drawn(*b.control);
    HWND focus = GetFocus();
    if (!visible && focus != nullptr && (focus == b.hwnd || IsChild(b.hwnd, focus))) {
      // As a hidden window gives it up: the keyboard goes to its container.
      focused_light = kNone;
      SetFocus(GetParent(b.hwnd));
    }
    SetWindowPos(b.hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW |
                     (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  }
  // ...then what the window shows there is drawn aside, bottom to top, as each window would
  // paint itself, and copied in at once. What was copied needs no painting of its own.
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  HDC window_dc = GetDCEx(main, nullptr, DCX_CACHE);
  HDC aside = window_dc != nullptr ? CreateCompatibleDC(window_dc) : nullptr;
  HBITMAP picture = aside != nullptr ? CreateCompatibleBitmap(window_dc, width, height) : nullptr;
  if (picture != nullptr) {
    HGDIOBJ old = SelectObject(aside, picture);
    print_tree(main, aside, area, area);
    BitBlt(window_dc, area.left, area.top, width, height, aside, 0, 0, SRCCOPY);
    SelectObject(aside, old);
    RedrawWindow(main, &area, nullptr, RDW_VALIDATE | RDW_NOFRAME | RDW_NOERASE | RDW_ALLCHILDREN);
  } else {
    // No picture to draw aside: the windows paint themselves, as they would anyway.
    RedrawWindow(main, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  if (picture != nullptr) DeleteObject(picture);
  if (aside != nullptr) DeleteDC(aside);
  if (window_dc != nullptr) ReleaseDC(main, window_dc);
}

void Win32View::Impl::print_tree(HWND hwnd, HDC dc, const RECT& area, const RECT& clip) {
  // Rectangles in the main window's client coordinates; the picture's origin is the area's.
  RECT outer{};
  GetWindowRect(hwnd, &outer);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&outer), 2);
  RECT inner{};
  GetClientRect(hwnd, &inner);
  MapWindowPoints(hwnd, main, reinterpret_cast<POINT*>(&inner), 2);
  if (hwnd != main) print_into(hwnd, dc, outer, clip, area, true);
  print_into(hwnd, dc, inner, clip, area, false);
  RECT inside{};
  if (!IntersectRect(&inside, &inner, &clip)) return;
  HWND top = GetWindow(hwnd, GW_CHILD);
  if (top == nullptr) return;
  for (HWND child = GetWindow(top, GW_HWNDLAST); child != nullptr;
       child = GetWindow(child, GW_HWNDPREV)) {
    if ((GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE) != 0)
      print_tree(child, dc, area, inside);
  }
}

void Win32View::Impl::print_into(HWND hwnd, HDC dc, const RECT& where, const RECT& clip,
                                 const RECT& area, bool frame) {
  // The controls take a drawing's origin for their own corner, as when they paint themselves:
  // each draws into a picture of its own size, which starts as what lies beneath it.
  RECT shown{};
  if (!IntersectRect(&shown, &where, &clip)) return;
  const int width = where.right - where.left;
  const int height = where.bottom - where.top;
  HDC own = CreateCompatibleDC(dc);
  HBITMAP picture = own != nullptr ? CreateCompatibleBitmap(dc, width, height) : nullptr;
  if (picture != nullptr) {
    HGDIOBJ old = SelectObject(own, picture);
    BitBlt(own, 0, 0, width, height, dc, where.left - area.left, where.top - area.top, SRCCOPY);
    Binding* b = hwnd == main ? &bindings[0] : find(hwnd);
    if (frame) {
      print_frame(b, hwnd, own);
    } else {
      SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(own), 0);
      SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(own), PRF_CLIENT);
      if (b != nullptr && b->hwnd == hwnd && b->control->kind() == Kind::Label &&
          b->control->activatable) {
        draw_focus(*b, own);
      }
    }
    BitBlt(dc, shown.left - area.left, shown.top - area.top, shown.right - shown.left,
           shown.bottom - shown.top, own, shown.left - where.left, shown.top - where.top, SRCCOPY);
    SelectObject(own, old);
    DeleteObject(picture);
  }
  if (own != nullptr) DeleteDC(own);
}

void Win32View::Impl::print_frame(const Binding* b, HWND hwnd, HDC dc) {
  // Drawn as the window draws it itself: a container its border; a field and a rule their
  // sunken edges, a field then the rows above and below its line.
  if (b != nullptr && b->hwnd == hwnd && b->control->kind() == Kind::PictureBox) {
    paint_frame(*b, dc);
    return;
  }
  RECT all{};
  GetWindowRect(hwnd, &all);
  OffsetRect(&all, -all.left, -all.top);
  const LONG_PTR ex_style = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  if ((ex_style & WS_EX_CLIENTEDGE) != 0) draw_sunken_edge(hwnd, dc, all);
  if ((ex_style & WS_EX_STATICEDGE) != 0) DrawEdge(dc, &all, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  if (b != nullptr && hwnd == b->edit && (b->field_pad_top > 0 || b->field_pad_bottom > 0)) {
    paint_field_pads(*b, dc);
  }
}

void Win32View::Impl::sync_one(Binding& b) {
  const Control& c = *b.control;
  if (c.kind() == Kind::Timer) {
    const std::size_t index = static_cast<std::size_t>(&b - bindings.data());
    const UINT_PTR id = index + 1;
    if (b.timer_running && (!c.enabled() || b.timer_interval != c.interval_ms())) {
      KillTimer(main, id);
      b.timer_running = false;
    }
    if (c.enabled() && !b.timer_running) {
      SetTimer(main, id, static_cast<UINT>(std::max(c.interval_ms(), 1)), nullptr);
      b.timer_running = true;
      b.timer_interval = c.interval_ms();
    }
    return;
  }
  if (b.windowless) {
    const bool visible = core.drawn(c);
    if (visible != b.shown) {
      b.shown = visible;
      // In a panel switch, the switch's one picture shows it.
      if (!holding_panels) invalidate(b);
      announce(b, visible ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE);
    }
    if (c.kind() == Kind::Label && (!b.caption_set || b.caption != c.caption())) {
      invalidate(b);
      const bool renamed = b.caption_set;
      b.caption = c.caption();
      b.caption_set = true;
      fit_caption(b);
      invalidate(b);
      if (renamed) announce(b, EVENT_OBJECT_NAMECHANGE);
    }
    sync_tooltip(b);
    return;
  }
  if (b.hwnd == nullptr) return;
  if (b.hwnd != main) {
    const bool visible = core.drawn(c);
    const bool on = (GetWindowLongPtrW(b.hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (on != visible && !holding_panels) ShowWindow(b.hwnd, visible ? SW_SHOWNA : SW_HIDE);
  }

  switch (c.kind()) {
    case Kind::CheckBox:
    case Kind::OptionButton: {
      const bool checked = c.kind() == Kind::CheckBox ? c.value() != 0 : c.option_value();
      const bool shown = SendMessageW(b.hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
      if (shown != checked) {
        SendMessageW(b.hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
      }
      if (!b.caption_set || b.caption != c.caption()) {
        SetWindowTextW(b.hwnd, button_caption(c.caption()).c_str());
        b.caption = c.caption();
        b.caption_set = true;
        fit_caption(b);
      }
      break;
    }
    case Kind::Label:
      if (!b.caption_set || b.caption != c.caption()) {
        SetWindowTextW(b.hwnd, from_model(c.caption()).c_str());
        b.caption = c.caption();
        b.caption_set = true;
        fit_caption(b);
        InvalidateRect(b.hwnd, nullptr, FALSE);
      }
      break;
    case Kind::Button:
      if (!b.caption_set || b.caption != c.caption()) {
        SetWindowTextW(b.hwnd, button_caption(c.caption()).c_str());
        b.caption = c.caption();
        b.caption_set = true;
      }
      break;
    case Kind::ComboBox: {
      sync_items(b);
      // The list's current item is the one the text is, so that Down, Up and an opened list
      // start from the value shown. Setting it sets the field's text too, which the text's own
      // sync then puts right where no item matches.
      const int current = c.current_item();
      if (SendMessageW(b.hwnd, CB_GETCURSEL, 0, 0) != current) {
        SendMessageW(b.hwnd, CB_SETCURSEL, static_cast<WPARAM>(current), 0);
      }
      sync_text(b);
      break;
    }
    case Kind::TextBox:
      sync_text(b);
      break;
    case Kind::DriveList: {
      sync_items(b);
      const int index = c.current_item();
      if (SendMessageW(b.hwnd, CB_GETCURSEL, 0, 0) != index) {
        SendMessageW(b.hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
      }
      const bool enabled = core.enabled(c);
      if ((IsWindowEnabled(b.hwnd) != FALSE) != enabled) EnableWindow(b.hwnd, enabled);
      break;
    }
    default:
      break;
  }
  sync_tooltip(b);
}

void Win32View::Impl::sync_tooltip(Binding& b) {
  const Control& c = *b.control;
  const std::u16string tip_text = tooltips != nullptr ? ViewCore::tooltip_text(c) : u"";
  if (tooltips != nullptr && b.windowless) {
    // A tip over an area of the container's, which it has only while it is on show.
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = bindings[b.parent].hwnd;
    tool.uId = static_cast<UINT_PTR>(&b - bindings.data()) + 1;  // as Win32View::spot says
    if (b.shown) tool.rect = b.area;
    std::wstring tip = wide(tip_text);
    tool.lpszText = tip.data();
    if (!b.tool_added) {
      if (tip_text.empty()) return;
      b.tool_added = SendMessageW(tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
    } else {
      if (tip_text != b.tooltip) {
        SendMessageW(tooltips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
      }
      if (!EqualRect(&tool.rect, &b.tool_rect)) {
        SendMessageW(tooltips, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
      }
    }
    b.tool_rect = tool.rect;
    b.tooltip = tip_text;
    return;
  }
  if (tooltips != nullptr && (tip_text != b.tooltip || (!b.tool_added && !tip_text.empty()))) {
    std::wstring tip = wide(tip_text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = bindings[b.parent == kNone ? 0 : b.parent].hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(b.hwnd);
    tool.lpszText = tip.data();
    if (!b.tool_added) {
      b.tool_added = SendMessageW(tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
    } else {
      SendMessageW(tooltips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    // The mouse over an editable combo is over its field, a window of its own.
    if (b.edit != nullptr && b.edit != b.hwnd) {
      tool.hwnd = b.hwnd;
      tool.uId = reinterpret_cast<UINT_PTR>(b.edit);
      if (!b.edit_tool_added) {
        b.edit_tool_added =
            SendMessageW(tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
      } else {
        SendMessageW(tooltips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
      }
    }
    b.tooltip = tip_text;
  }
}

void Win32View::Impl::sync_items(Binding& b) {
  const Control& c = *b.control;
  if (b.items_set && b.items == c.list()) return;
  SendMessageW(b.hwnd, CB_RESETCONTENT, 0, 0);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(b.hwnd, WM_GETFONT, 0, 0));
  int widest = 0;
  for (const std::string& item : c.list()) {
    const std::wstring text = from_model(item);
    SendMessageW(b.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (font != nullptr) widest = std::max<int>(widest, text_extent(font, text).cx);
  }
  b.items = c.list();
  b.items_set = true;
  if (c.kind() == Kind::ComboBox) {
    fit_items(b);
    place_combo(b);
  } else {
    SendMessageW(b.hwnd, CB_SETDROPPEDWIDTH,
                 static_cast<WPARAM>(drop_down_width(widest, b.box.right - b.box.left,
                                                     GetSystemMetrics(SM_CXVSCROLL), dpi)),
                 0);
  }
}

void Win32View::Impl::sync_text(Binding& b) {
  if (b.edit == nullptr) return;
  const std::wstring text = from_model(b.control->text());
  if (window_text(b.edit) != text) SetWindowTextW(b.edit, text.c_str());
}

bool Win32View::Impl::lightweight_mouse(std::size_t container, HWND hwnd, UINT message, WPARAM w,
                                        LPARAM l, LRESULT& result) {
  result = 0;
  if (message == WM_CAPTURECHANGED) {
    if (pressed_light == kNone || bindings[pressed_light].parent != container) return false;
    bindings[pressed_light].pressed = false;
    pressed_light = kNone;
    return true;
  }
  if (message == WM_SETCURSOR) {
    // Over the container itself, not over one of its windows.
    if (reinterpret_cast<HWND>(w) != hwnd || LOWORD(l) != HTCLIENT) return false;
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(hwnd, &point);
    const Binding* over = lightweight_at(container, point);
    if (over == nullptr || !over->control->hand_pointer) return false;
    SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649) /* IDC_HAND */));
    result = TRUE;
    return true;
  }
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      break;
    default:
      return false;
  }
  const POINT at{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
  const bool held =
      pressed_light != kNone && GetCapture() == hwnd && bindings[pressed_light].parent == container;
  Binding* target = held ? &bindings[pressed_light] : lightweight_at(container, at);
  if (target == nullptr) return false;
  const Control& c = *target->control;
  // A click is a left press and a release over the picture, so sliding off before releasing
  // cancels it; a caption is clicked by the press. Either keeps the mouse until the release, so
  // that a press on the title text or the close picture does not reach the title bar beneath
  // and drag the window.
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (c.activatable) focus(*target);
      target->pressed = c.kind() == Kind::Image;
      pressed_light = static_cast<std::size_t>(target - bindings.data());
      SetCapture(hwnd);
      if (c.kind() == Kind::Label) activate(*target);
      break;
    case WM_LBUTTONUP: {
      const bool click = held && target->pressed && PtInRect(&target->area, at);
      target->pressed = false;
      pressed_light = kNone;
      if (GetCapture() == hwnd) ReleaseCapture();
      if (click) activate(*target);
      break;
    }
    default:
      break;
  }
  return true;
}

std::vector<AccessibleElement> Win32View::Impl::elements_of(std::size_t container) {
  std::vector<AccessibleElement> elements;
  if (destroyed) return elements;
  HWND host = bindings[container].hwnd;
  const bool host_shown = IsWindowVisible(host) != FALSE;
  for (const Control* child : bindings[container].control->children()) {
    const std::size_t index = by_control.at(child);
    const Binding& b = bindings[index];
    if (!b.windowless) continue;
    AccessibleElement e;
    e.facts = facts_for(b);
    if (e.facts.role == 0) {
      e.facts.role = child->kind() == Kind::Label ? ROLE_SYSTEM_STATICTEXT : ROLE_SYSTEM_GRAPHIC;
    }
    // A caption's name is its text, as the system reads static text.
    if (e.facts.name.empty() && child->kind() == Kind::Label) {
      e.facts.name = from_model(child->caption());
    }
    e.area = b.area;
    MapWindowPoints(host, nullptr, reinterpret_cast<POINT*>(&e.area), 2);
    e.visible = b.shown && host_shown;
    e.focusable = child->activatable;
    e.focused = has_focus(b);
    e.press = e.facts.press != nullptr ? index + 1 : 0;
    elements.push_back(std::move(e));
  }
  return elements;
}

LRESULT Win32View::Impl::container_message(std::size_t index, HWND hwnd, UINT message, WPARAM w,
                                           LPARAM l) {
  Binding& b = bindings[index];
  Control& c = *b.control;
  if (LRESULT result = 0; lightweight_mouse(index, hwnd, message, w, l, result)) return result;
  switch (message) {
    case kPressMessage:
      // A screen reader's press of a picture or caption drawn here.
      if (w >= 1 && w <= bindings.size() && bindings[w - 1].windowless) activate(bindings[w - 1]);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (focused_light != kNone && bindings[focused_light].parent == index) {
        invalidate(bindings[focused_light]);
      }
      break;
    case WM_NCCALCSIZE:
      if (hwnd != main) {
        RECT* r = reinterpret_cast<RECT*>(l);  // the first of NCCALCSIZE_PARAMS' rectangles too
        r->left += b.frame.left;
        r->top += b.frame.top;
        r->right -= b.frame.right;
        r->bottom -= b.frame.bottom;
        if (r->right < r->left) r->right = r->left;
        if (r->bottom < r->top) r->bottom = r->top;
        return 0;
      }
      break;
    case WM_NCPAINT:
      if (hwnd != main) {
        paint_frame(b);
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      paint_surface(index, reinterpret_cast<HDC>(w));
      return 1;
    case WM_PRINTCLIENT:
      paint_surface(index, reinterpret_cast<HDC>(w));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      paint_surface(index, dc);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(w);
      Binding* child = find(reinterpret_cast<HWND>(l));
      const ControlColours colours = this->colours(child != nullptr ? *child : b);
      SetTextColor(dc, to_colour(colours.text));
      SetBkMode(dc, TRANSPARENT);
      if (child != nullptr && !c.picture.empty() && this->colours(b).surface_art) {
        // Transparent over artwork: the artwork is painted beneath the caption first.
        paint_beneath(*child, dc);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      }
      SetBkColor(dc, to_colour(colours.background));
      return reinterpret_cast<LRESULT>(brush_for(colours.background));
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
      Binding* child = find(item->hwndItem);
      if (child == nullptr || child->control->kind() != Kind::Label) break;
      draw_label(*child, item->hDC, item->rcItem);
      return TRUE;
    }
    case WM_COMMAND:
      if (l != 0) {
        if (Binding* child = find(reinterpret_cast<HWND>(l))) command(*child, HIWORD(w));
      }
      return 0;
    case WM_CONTEXTMENU:
      // A child's request comes up here when the child has no menu of its own.
      if (context_menu(reinterpret_cast<HWND>(w), l)) return 0;
      break;
    case WM_GETOBJECT: {
      // The pictures and captions drawn here are the container's children to a screen reader.
      const bool annotated = hwnd != main && c.role != Role::Native;
      const bool hosts = std::any_of(
          c.children().begin(), c.children().end(),
          [this](const Control* child) { return bindings[by_control.at(child)].windowless; });
      if (annotated || hosts) {
        AccessibleFacts facts = annotated ? facts_for(b) : AccessibleFacts{};
        if (hosts) facts.elements = [this, index] { return elements_of(index); };
        if (const LRESULT answer = answer_get_object(hwnd, w, l, facts)) return answer;
      }
      break;
    }
    case WM_SETCURSOR: {
      Binding* child = find(reinterpret_cast<HWND>(w));
      if (child != nullptr && child->control->hand_pointer) {
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649) /* IDC_HAND */));
        return TRUE;
      }
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEMOVE:
      if (c.has_mouse_move()) {
        core.mouse_moved(c, button_mask(w));
        return 0;
      }
      break;
    default:
      break;
  }
  if (hwnd != main) return DefWindowProcW(hwnd, message, w, l);

  switch (message) {
    case WM_TIMER:
      if (w == kRefusalTimer) {
        KillTimer(main, kRefusalTimer);
        SendMessageW(refusal, TTM_TRACKACTIVATE, FALSE, 0);
        return 0;
      }
      if (w == kCommonControlsTimer) {
        KillTimer(main, kCommonControlsTimer);
        have_common_controls();
        return 0;
      }
      if (w >= 1 && w <= bindings.size() && bindings[w - 1].control->kind() == Kind::Timer) {
        core.timer_ticked(*bindings[w - 1].control);
      }
      return 0;
    case WM_ACTIVATE:
      // As a dialog does: a chooser, a message or another program takes the activation and
      // gives it back, and the keyboard is where it was, not on the bare window where Tab would
      // start over.
      if (LOWORD(w) == WA_INACTIVE) {
        HWND now = GetFocus();
        if (now != nullptr && IsChild(main, now)) focus_left = now;
        return 0;
      }
      if (HIWORD(w) == 0) {  // not minimised
        Binding* left =
            focus_left != nullptr && IsWindow(focus_left) ? focus_binding(focus_left) : nullptr;
        const Control* back = core.focus_back(left != nullptr ? left->control : nullptr);
        if (left != nullptr && back == left->control) {
          if (left->windowless) {
            focus(*left);
          } else {
            SetFocus(focus_left);
          }
        } else {
          focus_first();
        }
      }
      return 0;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
      // A high-contrast theme switched on or off, or its colours changed.
      appearance = system_appearance();
      RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      break;
    case WM_DPICHANGED: {
      // Lay out for the new scale first, so that the window has its new size when the system's
      // suggested place is applied.
      const int new_dpi = HIWORD(w);
      const RECT* suggested = reinterpret_cast<const RECT*>(l);
      if (new_dpi != dpi) {
        dpi = new_dpi;
        layout();
      }
      SetWindowPos(main, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_DESTROY:
      // Reported once the window is going: nothing may sync into it any more.
      if (!destroyed) {
        destroyed = true;
        KillTimer(main, kRefusalTimer);
        core.window_closed();
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, w, l);
}

LRESULT Win32View::Impl::image_message(Binding& b, HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  Control& c = *b.control;
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PRINTCLIENT:
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = message == WM_PAINT ? BeginPaint(hwnd, &paint) : reinterpret_cast<HDC>(w);
      RECT area{};
      GetClientRect(hwnd, &area);
      // Artwork has transparent parts: what lies beneath shows through them, or its plate.
      if (const std::optional<Rgb> plate = colours(b).art_plate) {
        FillRect(dc, &area, brush_for(*plate));
      } else {
        paint_beneath(b, dc);
      }
      art.draw(dc, c.picture, area, dpi);
      draw_focus(b, dc);
      if (message == WM_PAINT) EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_GETOBJECT:
      if (const LRESULT answer = answer_get_object(hwnd, w, l, facts_for(b))) return answer;
      break;
    case kPressMessage:
      activate(b);
      return 0;
    case WM_SETCURSOR:
      if (c.hand_pointer) {
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649) /* IDC_HAND */));
        return TRUE;
      }
      break;
    // A click is a left press and a release over the image, so sliding off before releasing
    // cancels it. The image keeps its own presses and moves, so a press on the close image does
    // not reach the title bar beneath and drag the window.
    case WM_LBUTTONDOWN:
      if (c.kind() != Kind::Image) return 0;  // a sign is only looked at
      if (c.activatable) SetFocus(hwnd);
      b.pressed = true;
      SetCapture(hwnd);
      return 0;
    case WM_LBUTTONUP: {
      const POINT at{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
      RECT area{};
      GetClientRect(hwnd, &area);
      const bool click = b.pressed && PtInRect(&area, at);
      b.pressed = false;
      if (GetCapture() == hwnd) ReleaseCapture();
      if (click) activate(b);
      return 0;
    }
    case WM_CAPTURECHANGED:
      b.pressed = false;
      return 0;
    case WM_MOUSEMOVE:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, w, l);
}

void Win32View::Impl::activate(Binding& b) {
  const Control* next = core.activated(*b.control, has_focus(b));
  if (next == nullptr || next == b.control || destroyed) return;
  auto it = by_control.find(next);
  if (it != by_control.end()) focus(bindings[it->second]);
}

void Win32View::Impl::focus(Binding& b, bool select_text) {
  const std::size_t index = static_cast<std::size_t>(&b - bindings.data());
  if (focused_light != index && focused_light != kNone) invalidate(bindings[focused_light]);
  if (b.windowless) {
    // The container takes the keyboard for it, and tells a screen reader which of its children
    // has it.
    HWND host = bindings[b.parent].hwnd;
    if (focused_light == index && GetFocus() == host) return;  // has it already
    focused_light = index;
    if (GetFocus() != host) SetFocus(host);
    invalidate(b);
    NotifyWinEvent(EVENT_OBJECT_FOCUS, host, OBJID_CLIENT, element_id(b));
    return;
  }
  focused_light = kNone;
  HWND target = b.edit != nullptr ? b.edit : b.hwnd;
  if (target == nullptr) return;
  SetFocus(target);
  if (select_text && b.edit != nullptr) SendMessageW(b.edit, EM_SETSEL, 0, -1);
}

void Win32View::Impl::focus_first() {
  const Control* first = core.first_focus();
  auto it = first != nullptr ? by_control.find(first) : by_control.end();
  if (it == by_control.end()) return;
  Binding& b = bindings[it->second];
  if (b.hwnd == nullptr && !b.windowless) {
    // On a page not made yet (the controls on show are in order already).
    realize(*first);
    sync();
  }
  if (b.hwnd != nullptr || b.windowless) focus(b);
}

void Win32View::Impl::move_focus(HWND from, bool backwards) {
  const Binding* current = focus_binding(from);
  const Control* next = core.next_focus(current != nullptr ? current->control : nullptr, backwards);
  if (next == nullptr) return;
  auto it = by_control.find(next);
  if (it != by_control.end() &&
      (bindings[it->second].hwnd != nullptr || bindings[it->second].windowless)) {
    focus(bindings[it->second]);
  }
}

bool Win32View::Impl::filter_key(const MSG& message) {
  if (destroyed || (message.hwnd != main && !IsChild(main, message.hwnd))) return false;
  const bool down = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
  const bool up = message.message == WM_KEYUP || message.message == WM_SYSKEYUP;
  if (!down && !up) return false;
  if (down && core.key_pressed()) {
    // The keyboard is in use: focus cues show from now on, in the system's controls as in ours.
    SendMessageW(main, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  const bool alt = GetKeyState(VK_MENU) < 0;
  const WPARAM key = message.wParam;
  // The order of Tab is the model's, across the containers the dialog navigation would keep it
  // in, and past whatever is not on screen.
  if (key == VK_TAB && !control && !alt) {
    if (down) move_focus(message.hwnd, shift);
    return true;
  }
  if (!control && !alt && !shift && list_key(message, down)) return true;
  if (!control && !alt) {
    Binding* b = focus_binding(message.hwnd);
    if (b != nullptr && b->windowless) {
      const bool arrow = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
      if (arrow && down) arrow_key(*b, key);
      if (arrow) return true;
    }
  }
  const bool menu_key = key == VK_APPS || (key == VK_F10 && shift && !control && !alt);
  if (menu_key) {
    Binding* b = focus_binding(message.hwnd);
    if (b == nullptr || !b->control->has_context_menu()) return false;
    // Taken on the way up as well, so that the system does not open a second menu.
    if (down) context_menu(message.hwnd, MAKELPARAM(-1, -1));
    return true;
  }
  if (key == VK_RETURN && !control && !alt) {
    // A push button outside a dialog takes only Space; Enter, which a dialog's buttons take
    // as well, presses it too.
    Binding* b = find(message.hwnd);
    if (b != nullptr && b->control->kind() == Kind::Button) {
      if (down && (message.lParam & (1 << 30)) == 0) SendMessageW(b->hwnd, BM_CLICK, 0, 0);
      return true;
    }
  }
  if ((key == VK_RETURN || key == VK_SPACE) && !control && !alt) {
    Binding* b = focus_binding(message.hwnd);
    if (b == nullptr || !b->control->activatable ||
        (b->control->kind() != Kind::Image && b->control->kind() != Kind::Label)) {
      return false;
    }
    if (down && (message.lParam & (1 << 30)) == 0) activate(*b);  // not again while held
    return true;
  }
  return false;
}

bool Win32View::Impl::list_key(const MSG& message, bool down) {
  ListKey key = ListKey::Down;
  switch (message.wParam) {
    case VK_UP:
      key = ListKey::Up;
      break;
    case VK_DOWN:
      key = ListKey::Down;
      break;
    case VK_PRIOR:
      key = ListKey::PageUp;
      break;
    case VK_NEXT:
      key = ListKey::PageDown;
      break;
    case VK_HOME:
      key = ListKey::Home;
      break;
    case VK_END:
      key = ListKey::End;
      break;
    default:
      return false;
  }
  Binding* b = find(message.hwnd);
  if (b == nullptr || b->control->kind() != Kind::ComboBox) return false;
  if (SendMessageW(b->hwnd, CB_GETDROPPEDSTATE, 0, 0) == FALSE) {
    // Home and End move the caret in the field.
    if (key == ListKey::Home || key == ListKey::End) return false;
    if (down) core.closed_list_key(*b->control, key);
    return true;
  }
  // In the open list the item on show moves; the one on show when it closes is chosen.
  if (down) {
    const int from = static_cast<int>(SendMessageW(b->hwnd, CB_GETCURSEL, 0, 0));
    const int count = static_cast<int>(SendMessageW(b->hwnd, CB_GETCOUNT, 0, 0));
    const int to = list_move(from, count, key);
    if (to >= 0) SendMessageW(b->hwnd, CB_SETCURSEL, static_cast<WPARAM>(to), 0);
  }
  return true;
}

bool Win32View::Impl::context_menu(HWND hwnd, LPARAM l) {
  Binding* found = find(hwnd);
  if (found == nullptr || !found->control->has_context_menu() || destroyed) return false;
  const std::size_t index = static_cast<std::size_t>(found - bindings.data());
  Control& c = *found->control;
  HWND edit = bindings[index].edit;
  const std::optional<ViewMenu> entries = core.open_menu(c, edit != nullptr);
  if (!entries || destroyed) return true;

  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return true;
  for (std::size_t i = 0; i < entries->entries.size(); ++i) {
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(i + 1), wide(entries->entries[i]).c_str());
  }
  if (entries->field_entries) {
    // The field's own menu takes the focus for it: the selection that Select All makes shows,
    // and typing then goes into the field.
    if (GetFocus() != edit) SetFocus(edit);
    // The entries the field's own menu has, enabled as it would enable them.
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const bool selection = end > start;
    const bool writable = (GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY) == 0;
    const int length = GetWindowTextLengthW(edit);
    const bool enabled[] = {writable && SendMessageW(edit, EM_CANUNDO, 0, 0) != 0,
                            writable && selection,
                            selection,
                            writable && IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE,
                            writable && selection,
                            length > 0 && !(start == 0 && static_cast<int>(end) == length)};
    if (!entries->entries.empty()) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    for (std::size_t i = 0; i < std::size(kEditCommands); ++i) {
      const EditCommand& command = kEditCommands[i];
      // Undo, then the clipboard's four, then Select All, in groups as the system shows them.
      if (command.id == kCut || command.id == kSelectAll) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      }
      AppendMenuW(menu, MF_STRING | (enabled[i] ? MF_ENABLED : MF_GRAYED), command.id,
                  command.caption);
    }
  }
  POINT at{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
  if (at.x == -1 && at.y == -1) {
    // From the keyboard: under the control's top left corner, as the system's menus open.
    RECT r{};
    GetWindowRect(hwnd, &r);
    at = POINT{r.left, r.bottom};
  }
  const UINT chosen = GetMenuItemCount(menu) > 0 ? track_menu(menu, at, main) : 0;
  DestroyMenu(menu);
  if (chosen >= 1 && chosen <= entries->entries.size()) {
    core.menu_chosen(c, chosen - 1);
  } else if (edit != nullptr) {
    // The field's own work; its change notification then reaches the model as typing does.
    for (const EditCommand& command : kEditCommands) {
      if (command.id == chosen) SendMessageW(edit, command.message, command.w, command.l);
    }
  }
  return true;
}

AccessibleFacts Win32View::Impl::facts_for(const Binding& b) const {
  const Control& c = *b.control;
  AccessibleFacts facts;
  facts.name = from_model(ViewCore::spoken_name(c));
  facts.description = wide(ViewCore::description_text(c));
  switch (ViewCore::spoken_role(c)) {
    case Role::Native:
      break;
    case Role::PushButton:
      facts.role = ROLE_SYSTEM_PUSHBUTTON;
      break;
    case Role::Link:
      facts.role = ROLE_SYSTEM_LINK;
      break;
    case Role::Grouping:
      facts.role = ROLE_SYSTEM_GROUPING;
      break;
    case Role::Graphic:
      facts.role = ROLE_SYSTEM_GRAPHIC;
      break;
  }
  switch (c.kind()) {
    case Kind::CheckBox:
      facts.class_role = ROLE_SYSTEM_CHECKBUTTON;
      facts.checkable = true;
      break;
    case Kind::OptionButton:
      facts.class_role = ROLE_SYSTEM_RADIOBUTTON;
      facts.checkable = true;
      break;
    case Kind::Button:
      facts.class_role = ROLE_SYSTEM_PUSHBUTTON;
      break;
    case Kind::ComboBox:
    case Kind::DriveList:
      facts.class_role = ROLE_SYSTEM_COMBOBOX;
      break;
    case Kind::TextBox:
      facts.class_role = ROLE_SYSTEM_TEXT;
      break;
    default:
      break;
  }
  const Role role = ViewCore::spoken_role(c);
  if (role == Role::PushButton || role == Role::Link) facts.press = window_of(b);
  return facts;
}

void Win32View::Impl::draw_focus(const Binding& b, HDC dc) {
  if (!b.control->activatable || !has_focus(b) || !core.focus_cues_shown()) return;
  RECT area = b.area;
  if (!b.windowless) GetClientRect(b.hwnd, &area);
  // Drawn in the text colour, as the classic buttons show theirs.
  const ControlColours colours = this->colours(b);
  SetTextColor(dc, to_colour(colours.text));
  SetBkColor(dc, to_colour(colours.background));
  DrawFocusRect(dc, &area);
}

LRESULT CALLBACK Win32View::Impl::control_subclass(HWND hwnd, UINT message, WPARAM w, LPARAM l,
                                                   UINT_PTR, DWORD_PTR data) {
  auto* view = reinterpret_cast<Impl*>(data);
  if (message == WM_NCDESTROY) {
    common_controls().remove_subclass(hwnd, control_subclass, kSubclassId);
    return def_subclass(hwnd, message, w, l);
  }
  if (Binding* b = view->find(hwnd)) {
    view->hovered(hwnd, message, w, l);
    return view->control_message(*b, hwnd, message, w, l);
  }
  return def_subclass(hwnd, message, w, l);
}

LRESULT Win32View::Impl::control_message(Binding& b, HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  const Control& c = *b.control;
  switch (message) {
    case WM_CONTEXTMENU:
      // An edit field would open its own menu; the model's entries come first in ours.
      if (hwnd == b.edit && context_menu(hwnd, l)) return 0;
      break;
    case WM_GETOBJECT: {
      AccessibleFacts facts = facts_for(b);
      // A combo's field is part of the box; the press is the box's own.
      if (hwnd == b.edit && b.edit != b.hwnd) {
        facts.role = 0;
        facts.class_role = ROLE_SYSTEM_TEXT;
      }
      if (const LRESULT answer = answer_get_object(hwnd, w, l, facts)) return answer;
      break;
    }
    case kPressMessage:
      if (c.kind() == Kind::Label) activate(b);
      return 0;
    case WM_LBUTTONDOWN:
      if (c.kind() == Kind::Label) {
        // A label worked like a button takes the focus from the click, as the button would.
        if (c.activatable) SetFocus(hwnd);
        // The label keeps the pointer until the button goes up, as the images do: a press on
        // the title text that slides onto the bare title bar must not drag the window.
        SetCapture(hwnd);
      }
      break;
    case WM_LBUTTONUP:
      if (c.kind() == Kind::Label && GetCapture() == hwnd) {
        const LRESULT done = def_subclass(hwnd, message, w, l);
        ReleaseCapture();
        return done;
      }
      break;
    // An edit field draws its line at the top of its client area: the client area is made the
    // height of the line, in the middle of the field, and the rows above and below it are painted
    // as the field's background and taken as part of it by the mouse.
    case WM_NCCALCSIZE:
      if (hwnd == b.edit) {
        const LRESULT done = def_subclass(hwnd, message, w, l);
        RECT* r = reinterpret_cast<RECT*>(l);  // the first of NCCALCSIZE_PARAMS' rectangles too
        const auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
        const int spare = (r->bottom - r->top) - (font != nullptr ? line_height(font) : 0);
        b.field_pad_top = std::max(0, spare / 2);
        b.field_pad_bottom = std::max(0, spare - b.field_pad_top);
        r->top += b.field_pad_top;
        r->bottom -= b.field_pad_bottom;
        return done;
      }
      break;
    case WM_NCPAINT:
      if (hwnd == b.edit && (b.field_pad_top > 0 || b.field_pad_bottom > 0)) {
        const LRESULT done = def_subclass(hwnd, message, w, l);
        paint_field_pads(b);
        return done;
      }
      break;
    case WM_NCHITTEST:
      if (hwnd == b.edit) {
        const LRESULT hit = def_subclass(hwnd, message, w, l);
        return hit == HTNOWHERE || hit == HTBORDER ? HTCLIENT : hit;
      }
      break;
    case WM_SETFONT:
      if (hwnd == b.edit) {
        const LRESULT done = def_subclass(hwnd, message, w, l);
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        return done;
      }
      break;
    case WM_DROPFILES:
      files_dropped(b, reinterpret_cast<HDROP>(w));
      return 0;
    case WM_PASTE:
      if (hwnd == b.edit) {
        paste(b);
        return 0;
      }
      break;
    case WM_KILLFOCUS:
      // A combo's field keeps its selection drawn when the focus leaves (it hides none), which
      // would look like a second focus; the caret stays where it was.
      if (hwnd == b.edit && b.edit != b.hwnd)
        SendMessageW(hwnd, EM_SETSEL, static_cast<WPARAM>(-1), 0);
      if (c.activatable) InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case WM_SETFOCUS:
      if (c.activatable) InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case WM_PAINT:
      if (c.activatable && c.kind() == Kind::Label) {
        const LRESULT done = def_subclass(hwnd, message, w, l);
        if (HDC dc = GetDC(hwnd)) {
          draw_focus(b, dc);
          ReleaseDC(hwnd, dc);
        }
        return done;
      }
      break;
    default:
      break;
  }
  return def_subclass(hwnd, message, w, l);
}

void Win32View::Impl::files_dropped(Binding& b, HDROP drop) {
  using QueryFn = UINT(WINAPI*)(HDROP, UINT, LPWSTR, UINT);
  using FinishFn = void(WINAPI*)(HDROP);
  // Looked up at each drop, which is rare: the shell stays unloaded until the first.
  const auto query = look_up<QueryFn>(L"shell32.dll", "DragQueryFileW");
  const auto finish = look_up<FinishFn>(L"shell32.dll", "DragFinish");
  std::vector<std::string> paths;
  if (query != nullptr) {
    const UINT count = query(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      std::wstring path(query(drop, i, nullptr, 0) + 1, L'\0');
      path.resize(query(drop, i, path.data(), static_cast<UINT>(path.size())));
      paths.push_back(to_utf8(path));
    }
  }
  if (finish != nullptr) finish(drop);
  core.files_dropped(*b.control, paths);
}

LRESULT CALLBACK Win32View::Impl::container_proc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  Impl* view = view_of(hwnd, message, l);
  if (view != nullptr) {
    auto it = view->by_hwnd.find(hwnd);
    if (it != view->by_hwnd.end()) {
      view->hovered(hwnd, message, w, l);
      return view->container_message(it->second, hwnd, message, w, l);
    }
  }
  return DefWindowProcW(hwnd, message, w, l);
}

LRESULT CALLBACK Win32View::Impl::image_proc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  Impl* view = view_of(hwnd, message, l);
  if (view != nullptr) {
    if (Binding* b = view->find(hwnd)) {
      view->hovered(hwnd, message, w, l);
      return view->image_message(*b, hwnd, message, w, l);
    }
  }
  return DefWindowProcW(hwnd, message, w, l);
}

Win32View::Win32View(Form& form, Win32WindowSystem& window_system, ViewEvents events, int dpi)
    : impl_(std::make_unique<Impl>(form, window_system, std::move(events))) {
  impl_->build(dpi);
  impl_->sync();
}

Win32View::~Win32View() = default;

HWND Win32View::window() const { return impl_->main; }

HWND Win32View::widget(const Control& control) const {
  auto it = impl_->by_control.find(&control);
  if (it == impl_->by_control.end()) return nullptr;
  // Asking for a control on a page not yet shown makes that page's controls.
  if (impl_->bindings[it->second].hwnd == nullptr && !impl_->bindings[it->second].windowless &&
      control.kind() != Kind::Timer) {
    impl_->realize(control);
    impl_->sync();
  }
  return impl_->bindings[it->second].hwnd;
}

Win32View::Spot Win32View::spot(const Control& control) const {
  Spot spot;
  if (HWND own = widget(control)) {
    spot.window = own;
    GetClientRect(own, &spot.area);
    spot.own = true;
    spot.drawn = IsWindowVisible(own) != FALSE;
    return spot;
  }
  auto it = impl_->by_control.find(&control);
  if (it == impl_->by_control.end() || !impl_->bindings[it->second].windowless) return spot;
  const Binding& b = impl_->bindings[it->second];
  spot.window = impl_->window_of(b);
  spot.area = b.area;
  spot.drawn = b.shown && IsWindowVisible(spot.window);
  spot.tool = it->second + 1;
  return spot;
}

const Control* Win32View::focused() const {
  const Binding* b = impl_->focus_binding(GetFocus());
  return b != nullptr ? b->control : nullptr;
}

void Win32View::focus(const Control& control) {
  const Spot where = spot(control);
  auto it = impl_->by_control.find(&control);
  if (where.window == nullptr || it == impl_->by_control.end()) return;
  impl_->focus(impl_->bindings[it->second], false);
}

HFONT Win32View::font(const Control& control) const {
  const Spot where = spot(control);
  auto it = impl_->by_control.find(&control);
  if (where.window == nullptr || it == impl_->by_control.end()) return nullptr;
  const Binding& b = impl_->bindings[it->second];
  return b.windowless ? b.font : reinterpret_cast<HFONT>(SendMessageW(b.hwnd, WM_GETFONT, 0, 0));
}

HWND Win32View::widget(std::string_view name, int index) const {
  const Control* c = impl_->form.find(name, index);
  return c == nullptr ? nullptr : widget(*c);
}

int Win32View::dpi() const { return impl_->dpi; }

void Win32View::set_dpi(int dpi) {
  if (dpi <= 0 || dpi == impl_->dpi) return;
  impl_->dpi = dpi;
  impl_->layout();
}

void Win32View::set_appearance(const Appearance& appearance) {
  impl_->appearance = appearance;
  RedrawWindow(impl_->main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

Appearance system_appearance() {
  Appearance appearance;
  HIGHCONTRASTW high{};
  high.cbSize = sizeof high;
  appearance.high_contrast = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof high, &high, 0) &&
                             (high.dwFlags & HCF_HIGHCONTRASTON) != 0;
  appearance.system.window = system_colour(COLOR_WINDOW);
  appearance.system.window_text = system_colour(COLOR_WINDOWTEXT);
  return appearance;
}

void Win32View::sync() { impl_->sync(); }

void Win32View::show() {
  HWND w = impl_->main;
  RECT frame{};
  GetWindowRect(w, &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoW(MonitorFromWindow(w, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
    const RECT& work = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(w, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(w, SW_SHOWNORMAL);
  // As Windows programs do, focus cues stay hidden until the keyboard is used.
  if (!impl_->core.focus_cues_shown()) {
    SendMessageW(w, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
  }
  impl_->focus_first();
  UpdateWindow(w);
  SetTimer(w, kCommonControlsTimer, kCommonControlsDelayMs, nullptr);
}

void Win32View::set_menu_tracker(MenuTracker tracker) { impl_->track_menu = std::move(tracker); }

}  // namespace quorvane::win32
