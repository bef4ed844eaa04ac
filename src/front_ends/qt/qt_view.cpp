#include "front_ends/qt/qt_view.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <cmath>
#include <exception>
#include <limits>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "front_ends/qt/accessibility.h"
#include "front_ends/qt/cp1252.h"
#include "front_ends/qt/fonts.h"
#include "front_ends/qt/qt_window_system.h"
#include "front_ends/qt/widgets.h"
#include "model/front_end.h"
#include "shell/view_core.h"

#ifdef QUORVANE_HAS_ART
// Outside any namespace, as Q_INIT_RESOURCE requires. The artwork is linked in from a static
// library, where nothing else would pull its registration into the program.
static void init_art_resources() { Q_INIT_RESOURCE(art); }
#else
static void init_art_resources() {}
#endif

namespace quorvane {
namespace {

using front_end::kTwipsPerPixel;
using front_end::Placement;

QColor to_color(Rgb rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

Rgb to_rgb(const QColor& color) {
  return (static_cast<Rgb>(color.red()) << 16) | (static_cast<Rgb>(color.green()) << 8) |
         static_cast<Rgb>(color.blue());
}

// The desktop's colours as Qt reports them; a high-contrast theme is told by its palette alone.
Appearance desktop_appearance() {
  const QPalette palette = QGuiApplication::palette();
  Appearance appearance;
  appearance.system.window = to_rgb(palette.color(QPalette::Active, QPalette::Window));
  appearance.system.window_text = to_rgb(palette.color(QPalette::Active, QPalette::WindowText));
  appearance.high_contrast = high_contrast_colours(appearance.system);
  return appearance;
}

// A control's palette: its surface and its text in the colours the appearance gives it.
void set_colours(QWidget* widget, const ControlColours& colours) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, to_color(colours.background));
  palette.setColor(QPalette::WindowText, to_color(colours.text));
  widget->setPalette(palette);
}

QRect qt_rect(const Twips& r, const Placement& in) {
  const front_end::PixelRect p = front_end::place(r, in);
  return QRect(p.x, p.y, p.width, p.height);
}

// The widget drawing one control, with the typed pointer its kind needs.
struct Drawn {
  Control* control = nullptr;
  QWidget* widget = nullptr;
  QCheckBox* check = nullptr;
  QRadioButton* radio = nullptr;
  QComboBox* combo = nullptr;  // editable combo box or drive list
  QLineEdit* edit = nullptr;   // text box, or the edit field of a combo box
  QLabel* label = nullptr;
  widgets::Cp1252Validator* validator = nullptr;
  QTimer* timer = nullptr;
  QFont font;     // the control's font before fitting
  int width = 0;  // the width the layout gives it
  // A container whose contents are made the first time it is on screen.
  bool contents_pending = false;
  Placement inner;
};

// The largest font up to `font` with which the button's caption fits `width`. The style knows best
// what the indicator, its spacing and the caption take together.
// The largest font up to the control's with which the button's caption fits `width`. The style
// knows best what the indicator, its spacing and the caption take together.
void fit_to_hint(QAbstractButton* button, const FontSpec& wanted, int width) {
  button->setFont(fonts::fit(
      wanted,
      [button](const QFont& f) {
        button->setFont(f);
        return static_cast<int>(button->sizeHint().width());
      },
      width));
}

std::optional<QAccessible::Role> qt_role(Role role) {
  switch (role) {
    case Role::Native:
      return std::nullopt;
    case Role::PushButton:
      return QAccessible::PushButton;
    case Role::Link:
      return QAccessible::Link;
    case Role::Grouping:
      return QAccessible::Grouping;
    case Role::Graphic:
      return QAccessible::Graphic;
  }
  return std::nullopt;
}

// Tab reaches an option group once, at its chosen button, as a Windows dialog does; the arrow keys
// move within it. A group with nothing chosen (a value the panel does not know) is reached at its
// first button. Qt itself stops at whichever button comes first, chosen or not.
void tab_to_choice(QWidget* group) {
  const QList<QRadioButton*> buttons =
      group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
  QRadioButton* stop = buttons.isEmpty() ? nullptr : buttons.front();
  for (QRadioButton* button : buttons) {
    if (button->isChecked()) stop = button;
  }
  for (QRadioButton* button : buttons) {
    const Qt::FocusPolicy policy = button == stop ? Qt::StrongFocus : Qt::ClickFocus;
    if (button->focusPolicy() != policy) button->setFocusPolicy(policy);
  }
}

QString qt_text(const std::u16string& text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

std::u16string_view utf16(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

}  // namespace

struct QtView::Impl {
  Impl(Form& f, QtWindowSystem& w, ViewEvents e)
      : form(f), ws(w), core(f, w, std::move(e)), appearance(desktop_appearance()) {
    core.on_sync([this] { sync_widgets(); });
  }

  Form& form;
  QtWindowSystem& ws;
  ViewCore core;
  Appearance appearance;
  std::unique_ptr<widgets::FormWindow> window;
  widgets::WindowWatch* watch = nullptr;
  std::vector<Drawn> bindings;
  std::unordered_map<const Control*, std::size_t> by_control;
  // How many widgets there were when the Tab order was last set.
  std::size_t ordered = 0;

  void build();
  void build_children(Control& container, QWidget* parent, const Placement& placement);
  void build_contents(std::size_t container);
  bool realize(const Control& control);
  Drawn make(Control& control, QWidget* parent, const QRect& rect);
  void make_label(Drawn& b, QWidget* parent, const QRect& rect);
  void make_button(Drawn& b, QAbstractButton* button, const QRect& rect);
  void make_text(Drawn& b, QLineEdit* edit);
  // The keys of the combo's list go the view core's way, closed and open alike.
  void list_keys(Control& c, QComboBox* combo);
  // The core hears when the combo's list drops down and closes up.
  void watch_list(const Control& c, QComboBox* combo);
  void fit_caption(Drawn& b);
  void fit_items(Drawn& b);
  void offer_menu(Control& c, QWidget* w, QLineEdit* edit);
  void show_menu(Control& c, QWidget* w, QLineEdit* edit, const QPoint& pos);
  // An image or label clicked, by the mouse or from the keyboard.
  void activate(Control& c, QWidget* w);
  void apply_tab_order();

  void refused(QWidget* field, const std::u16string& chars);

  void sync_widgets();
  // One per control kind: each brings its widget in line with the model.
  void sync_one(Drawn& b);
  void sync_timer(Drawn& b);
  void sync_description(Drawn& b);
  void sync_check_box(Drawn& b);
  void sync_option_button(Drawn& b);
  void sync_label(Drawn& b);
  void sync_combo_box(Drawn& b);
  void sync_drive_list(Drawn& b);
  void sync_text(Drawn& b, QLineEdit* edit);
  void sync_caption(Drawn& b, QAbstractButton* button);
  // True when the combo's items changed.
  bool sync_items(Drawn& b);
};

void QtView::Impl::build() {
  init_art_resources();
  window = std::make_unique<widgets::FormWindow>();
  Control& root = form.root();
  window->setWindowTitle(qt_text(core.title()));
  const QRect client = qt_rect(Twips{0, 0, root.rect().width, root.rect().height}, Placement{});
  window->setFixedSize(client.size());
  window->setWindowIcon(widgets::app_icon());
  set_colours(window.get(), colours_for(root, appearance));
  window->setAutoFillBackground(true);
  watch = new widgets::WindowWatch(
      window.get(),
      [this] {
        // The cue shows on whatever has the keyboard now, which drew none so far.
        if (core.key_pressed() && QApplication::focusWidget() != nullptr) {
          QApplication::focusWidget()->update();
        }
      },
      [this] { return core.help_tips_shown(); });
  window->on_close([this] { core.window_closed(); });
  ws.attach(window.get());

  Drawn root_binding;
  root_binding.control = &root;
  root_binding.widget = window.get();
  by_control.emplace(&root, bindings.size());
  bindings.push_back(root_binding);
  build_children(root, window.get(), Placement{});
}

void QtView::Impl::build_children(Control& container, QWidget* parent, const Placement& placement) {
  // Children are created in the container's order, so later ones stack above earlier ones, as
  // the model draws them.
  for (Control* child : container.children()) {
    const QRect rect = qt_rect(child->rect(), placement);
    Drawn b = make(*child, parent, rect);
    const std::size_t at = bindings.size();
    if (child->kind() == Kind::PictureBox && b.widget != nullptr) {
      b.inner = front_end::inside(*child, placement);
      b.contents_pending = true;
    }
    by_control.emplace(child, at);
    bindings.push_back(b);
    // Pages not on screen get their contents when first shown: most of the window is hidden
    // panels, and making their widgets up front would double the time to the first window.
    if (bindings[at].contents_pending && core.contents_due(*child)) build_contents(at);
  }
}

void QtView::Impl::build_contents(std::size_t container) {
  Drawn& b = bindings[container];
  if (!b.contents_pending) return;
  b.contents_pending = false;
  QWidget* client = static_cast<widgets::PictureBoxWidget*>(b.widget)->client();
  const Placement inner = b.inner;  // `b` may move as bindings grow
  build_children(*b.control, client, inner);
}

bool QtView::Impl::realize(const Control& control) {
  if (by_control.count(&control) != 0) return true;
  if (control.parent() == nullptr || !realize(*control.parent())) return false;
  auto it = by_control.find(control.parent());
  build_contents(it->second);
  return by_control.count(&control) != 0;
}

Drawn QtView::Impl::make(Control& c, QWidget* parent, const QRect& rect) {
  Drawn b;
  b.control = &c;
  b.font = fonts::font_for(c.font);
  b.width = rect.width();
  const QString what = QString::fromStdString(c.display_name());

  switch (c.kind()) {
    case Kind::PictureBox: {
      const ControlColours colours = colours_for(c, appearance);
      auto* box = new widgets::PictureBoxWidget(
          parent, to_color(colours.background), c.border,
          colours.surface_art ? QString::fromStdString(c.picture) : QString());
      if (c.has_mouse_move()) {
        box->on_mouse([this, &c](int buttons) { core.mouse_moved(c, buttons); });
      }
      b.widget = box;
      box->setGeometry(rect);
      break;
    }
    case Kind::Button: {
      // A tool button: a push button to a screen reader, but as small as its caption allows.
      auto* button = new QToolButton(parent);
      button->setGeometry(rect);
      button->setFont(b.font);
      button->setText(cp1252::decode(c.caption()));
      button->setFocusPolicy(Qt::StrongFocus);
      fit_to_hint(button, c.font, b.width);
      QObject::connect(button, &QToolButton::clicked, button,
                       [this, &c] { core.button_clicked(c); });
      b.widget = button;
      break;
    }
    case Kind::WarningSign:
    case Kind::ChangeMark: {
      // A picture label: a graphic to a screen reader, read by its name.
      auto* sign = new QLabel(parent);
      sign->setGeometry(rect);
      sign->setPixmap(widgets::render_art(QString::fromStdString(c.picture), rect.size(),
                                          parent->devicePixelRatioF()));
      b.widget = sign;
      break;
    }
    case Kind::Image: {
      auto* image = new widgets::ImageWidget(parent, QString::fromStdString(c.picture));
      image->set_activatable(c.activatable);
      image->set_focus_cue([this] { return core.focus_cues_shown(); });
      if (const std::optional<Rgb> plate = colours_for(c, appearance).art_plate) {
        image->set_plate(to_color(*plate));
      }
      image->on_click([this, &c, image] { activate(c, image); });
      b.widget = image;
      image->setGeometry(rect);
      break;
    }
    case Kind::Label:
      make_label(b, parent, rect);
      break;
    case Kind::Line: {
      // A rule with no height in the layout: the line and its light edge below it.
      auto* rule = new widgets::RuleWidget(parent);
      rule->setGeometry(rect.x(), rect.y(), std::max(rect.width(), 1), 2);
      b.widget = rule;
      break;
    }
    case Kind::CheckBox: {
      auto* box = new QCheckBox(parent);
      b.check = box;
      make_button(b, box, rect);
      QObject::connect(box, &QCheckBox::clicked, box,
                       [this, &c](bool checked) { core.check_box_clicked(c, checked); });
      break;
    }
    case Kind::OptionButton: {
      auto* button = new QRadioButton(parent);
      b.radio = button;
      make_button(b, button, rect);
      QObject::connect(button, &QRadioButton::clicked, button, [this, &c](bool checked) {
        if (checked) core.option_chosen(c);
      });
      break;
    }
    case Kind::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(true);
      // The field holds exactly what the user typed: the default completer would finish "6" as
      // "61 Hz" and match case-insensitively, and Enter would add the text to the list.
      combo->setCompleter(nullptr);
      combo->setInsertPolicy(QComboBox::NoInsert);
      combo->setFont(b.font);
      combo->setGeometry(rect);
      combo->setMaxVisibleItems(kListItemsShown);
      b.widget = combo;
      b.combo = combo;
      make_text(b, combo->lineEdit());
      list_keys(c, combo);
      watch_list(c, combo);
      break;
    }
    case Kind::TextBox: {
      auto* edit = new QLineEdit(parent);
      edit->setFont(b.font);
      edit->setGeometry(rect);
      b.widget = edit;
      make_text(b, edit);
      break;
    }
    case Kind::DriveList: {
      auto* combo = new QComboBox(parent);
      combo->setFont(b.font);
      combo->setGeometry(rect);
      b.widget = combo;
      b.combo = combo;
      QObject::connect(combo, &QComboBox::activated, combo,
                       [this, &c](int index) { core.drive_picked(c, index); });
      watch_list(c, combo);
      break;
    }
    case Kind::Timer: {
      auto* timer = new QTimer(window.get());
      timer->setTimerType(Qt::PreciseTimer);
      QObject::connect(timer, &QTimer::timeout, timer, [this, &c] { core.timer_ticked(c); });
      b.timer = timer;
      break;
    }
  }

  if (b.widget != nullptr) {
    if (const std::optional<QAccessible::Role> role = qt_role(ViewCore::spoken_role(c))) {
      accessibility::set_role(b.widget, *role);
    }
    b.widget->setObjectName(what);
    if (!c.tooltip.empty()) b.widget->setToolTip(qt_text(ViewCore::tooltip_text(c)));
    if (c.hand_pointer) b.widget->setCursor(Qt::PointingHandCursor);
    // An editable combo's field is what takes the focus, so a screen reader asks it too.
    for (QWidget* w : {b.widget, static_cast<QWidget*>(b.combo != nullptr ? b.edit : nullptr)}) {
      if (w == nullptr) continue;
      const std::string name = ViewCore::spoken_name(c);
      if (!name.empty()) w->setAccessibleName(cp1252::decode(name));
      if (!c.description.empty())
        w->setAccessibleDescription(qt_text(ViewCore::description_text(c)));
    }
    // Screen readers on Linux name a combo box by its label, not by an accessible name. A label
    // has one buddy: a combo box keeps it, since a text box beside it is named by its own
    // accessible name as well (a drive list and the box it fills share their label).
    for (const Control* label : c.labelled_by) {
      auto it = by_control.find(label);
      if (it == by_control.end() || bindings[it->second].label == nullptr) continue;
      QLabel* caption = bindings[it->second].label;
      if (qobject_cast<QComboBox*>(caption->buddy()) != nullptr && b.combo == nullptr) continue;
      caption->setBuddy(b.widget);
    }
    if (c.takes_drops()) {
      new widgets::DropTarget(b.widget, [this, &c](const std::vector<std::string>& paths) {
        core.files_dropped(c, paths);
      });
    }
    if (c.has_context_menu()) {
      offer_menu(c, b.widget, b.edit);
      if (b.edit != nullptr && b.edit != b.widget) offer_menu(c, b.edit, b.edit);
    }
  }
  return b;
}

void QtView::Impl::offer_menu(Control& c, QWidget* w, QLineEdit* edit) {
  w->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(w, &QWidget::customContextMenuRequested, w,
                   [this, &c, w, edit](const QPoint& pos) { show_menu(c, w, edit, pos); });
  new widgets::MenuKeys(w, [this, &c, w, edit](QPoint pos) { show_menu(c, w, edit, pos); });
}

void QtView::Impl::show_menu(Control& c, QWidget* w, QLineEdit* edit, const QPoint& pos) {
  const std::optional<ViewMenu> entries = core.open_menu(c, edit != nullptr);
  if (!entries) return;
  std::unique_ptr<QMenu> menu(entries->field_entries ? edit->createStandardContextMenu()
                                                     : new QMenu(w));
  QAction* first = menu->actions().isEmpty() ? nullptr : menu->actions().front();
  for (std::size_t i = 0; i < entries->entries.size(); ++i) {
    auto* action = new QAction(qt_text(entries->entries[i]), menu.get());
    QObject::connect(action, &QAction::triggered, action,
                     [this, &c, i] { core.menu_chosen(c, i); });
    menu->insertAction(first, action);
  }
  if (first != nullptr && !entries->entries.empty()) menu->insertSeparator(first);
  if (menu->actions().isEmpty()) return;
  menu->exec(w->mapToGlobal(pos));
}

void QtView::Impl::activate(Control& c, QWidget* w) {
  const Control* next = core.activated(c, w->hasFocus());
  if (next == nullptr || next == &c) return;
  auto it = by_control.find(next);
  if (it != by_control.end() && bindings[it->second].widget != nullptr) {
    bindings[it->second].widget->setFocus(Qt::TabFocusReason);
  }
}

void QtView::Impl::apply_tab_order() {
  QWidget* previous = nullptr;
  for (const Control* c : core.focus_chain()) {
    auto it = by_control.find(c);
    if (it == by_control.end()) continue;  // on a page not made yet
    QWidget* w = bindings[it->second].widget;
    if (w == nullptr) continue;
    if (previous != nullptr) QWidget::setTabOrder(previous, w);
    previous = w;
  }
  ordered = bindings.size();
}

void QtView::Impl::make_label(Drawn& b, QWidget* parent, const QRect& rect) {
  Control& c = *b.control;
  auto* label = new widgets::LabelWidget(parent);
  // Captions such as "<<< Back" must never be taken for markup.
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(false);
  label->setAlignment((c.align == Align::Center ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
  label->setFont(b.font);
  label->setGeometry(rect);
  label->set_activatable(c.activatable);
  label->set_focus_cue([this] { return core.focus_cues_shown(); });
  label->on_click([this, &c, label] { activate(c, label); });
  b.widget = label;
  b.label = label;
}

void QtView::Impl::make_button(Drawn& b, QAbstractButton* button, const QRect& rect) {
  button->setGeometry(rect);
  // Buttons fill with the Button colour by default; these stand on the page in its colour.
  button->setBackgroundRole(QPalette::Window);
  button->setAutoFillBackground(true);
  set_colours(button, colours_for(*b.control, appearance));
  button->setFont(b.font);
  b.widget = button;
}

void QtView::Impl::make_text(Drawn& b, QLineEdit* edit) {
  b.edit = edit;
  // Values have no length limit; Qt's default of 32767 characters would cut a long one.
  edit->setMaxLength(std::numeric_limits<int>::max());
  auto* validator = new widgets::Cp1252Validator(edit);
  validator->on_refused([this, edit](const std::u16string& chars) { refused(edit, chars); });
  edit->setValidator(validator);
  b.validator = validator;
  Control& c = *b.control;
  QObject::connect(edit, &QLineEdit::textChanged, edit, [this, &c, edit](const QString& text) {
    // The validator has cleaned the text already; the core cleans it the same way again, and may
    // change what arrived (a pasted tab), which the sync then shows: the caret stays with it.
    if (core.syncing()) return;
    const CleanText clean =
        core.text_edited(c, utf16(text), static_cast<std::size_t>(edit->cursorPosition()));
    if (clean.shown != utf16(text)) edit->setCursorPosition(static_cast<int>(clean.caret));
  });
}

void QtView::Impl::list_keys(Control& c, QComboBox* combo) {
  // The field has the focus, but a key may be sent to the box itself too.
  for (QWidget* closed : {static_cast<QWidget*>(combo->lineEdit()), static_cast<QWidget*>(combo)}) {
    new widgets::ListKeys(closed, [this, &c](ListKey key) {
      // Home and End move the caret in the field.
      if (key == ListKey::Home || key == ListKey::End) return false;
      core.closed_list_key(c, key);
      return true;
    });
  }
  QAbstractItemView* list = combo->view();
  new widgets::ListKeys(list, [combo, list](ListKey key) {
    // The item on show is the one selected; the list's own current item, which it gives the
    // first row when it takes the focus, is not one the user chose.
    const QModelIndexList selected = list->selectionModel()->selectedRows(combo->modelColumn());
    const int from = selected.isEmpty() ? -1 : selected.front().row();
    const int to = list_move(from, combo->count(), key);
    if (to < 0) return true;
    list->selectionModel()->setCurrentIndex(
        combo->model()->index(to, combo->modelColumn()),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return true;
  });
}

void QtView::Impl::watch_list(const Control& c, QComboBox* combo) {
  // The list drops down in a frame of its own, made with the view.
  QWidget* popup = combo->view()->parentWidget();
  if (popup == nullptr) return;
  watch->watch_list(popup, [this, &c](bool open) {
    if (!open) return core.list_closed(c);
    core.list_opened(c);
    // A tip already up (the box's own, from before the click) goes with it.
    QToolTip::hideText();
  });
}

void QtView::Impl::refused(QWidget* field, const std::u16string& chars) {
  QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), qt_text(refusal_note(chars)),
                     field, QRect(), kRefusalNoteMs);
}

void QtView::Impl::fit_items(Drawn& b) {
  QComboBox* combo = b.combo;
  const QFontMetricsF nominal(b.font);
  const QString widest =
      cp1252::decode(widest_entry(*b.control, [&nominal](const std::string& item) {
        return static_cast<int>(std::ceil(nominal.horizontalAdvance(cp1252::decode(item))));
      }));
  QStyleOptionComboBox option;
  option.initFrom(combo);
  option.editable = combo->isEditable();
  option.rect = QRect(0, 0, b.width, combo->height());
  const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                     QStyle::SC_ComboBoxEditField, combo);
  combo->setFont(fonts::fit_width(b.control->font, widest, kFieldTextMargins, field.width()));
}

void QtView::Impl::fit_caption(Drawn& b) {
  QAbstractButton* button = b.check != nullptr ? static_cast<QAbstractButton*>(b.check)
                                               : static_cast<QAbstractButton*>(b.radio);
  if (button != nullptr) {
    fit_to_hint(button, b.control->font, b.width);
    return;
  }
  if (b.label == nullptr) return;
  const QString text = b.label->text();
  // Fonts are measured only for a caption there is (an empty one would load a font for
  // nothing).
  if (text.isEmpty()) return;
  const QFont font = fonts::fit_width(b.control->font, text, 0, b.width);
  b.label->setFont(font);
  const QFontMetricsF metrics(font);
  QRect g = b.label->geometry();
  const int room = b.label->parentWidget() ? b.label->parentWidget()->width() - g.x() : g.width();
  const PixelSize size = label_box(*b.control, PixelSize{b.width, g.height()},
                                   static_cast<int>(std::ceil(metrics.horizontalAdvance(text))),
                                   static_cast<int>(std::ceil(metrics.height())), room);
  g.setSize(QSize(size.width, size.height));
  b.label->setGeometry(g);
}

void QtView::Impl::sync_widgets() {
  for (std::size_t i = 0; i < bindings.size(); ++i) {
    if (bindings[i].contents_pending && core.contents_due(*bindings[i].control)) build_contents(i);
  }
  for (Drawn& b : bindings) sync_one(b);
  if (ordered != bindings.size()) apply_tab_order();
}

void QtView::Impl::sync_one(Drawn& b) {
  const Control& c = *b.control;
  if (b.timer != nullptr) return sync_timer(b);
  if (b.widget == nullptr) return;
  const bool visible = core.drawn(c);
  if (b.widget != window.get() && b.widget->isHidden() == visible) b.widget->setVisible(visible);
  const QString tip = qt_text(ViewCore::tooltip_text(c));
  if (b.widget->toolTip() != tip) b.widget->setToolTip(tip);
  sync_description(b);
  switch (c.kind()) {
    case Kind::CheckBox:
      return sync_check_box(b);
    case Kind::OptionButton:
      return sync_option_button(b);
    case Kind::Label:
      return sync_label(b);
    case Kind::ComboBox:
      return sync_combo_box(b);
    case Kind::DriveList:
      return sync_drive_list(b);
    case Kind::TextBox:
      return sync_text(b, b.edit);
    case Kind::WarningSign:
    case Kind::ChangeMark: {
      // A path's sign says where the path leads, which changes with the box's text.
      const QString name = cp1252::decode(ViewCore::spoken_name(c));
      if (b.widget->accessibleName() != name) b.widget->setAccessibleName(name);
      return;
    }
    case Kind::PictureBox:
    case Kind::Image:
    case Kind::Line:
    case Kind::Timer:
    case Kind::Button:
      return;  // nothing but visibility changes on these
  }
}

void QtView::Impl::sync_description(Drawn& b) {
  // A changed setting's description begins with what VOZ.INI held; Save & Quit's lists what a
  // save would write. An editable combo's field is asked too.
  const QString description = qt_text(ViewCore::description_text(*b.control));
  for (QWidget* w : {b.widget, static_cast<QWidget*>(b.combo != nullptr ? b.edit : nullptr)}) {
    if (w != nullptr && w->accessibleDescription() != description) {
      w->setAccessibleDescription(description);
    }
  }
}

void QtView::Impl::sync_timer(Drawn& b) {
  const Control& c = *b.control;
  if (b.timer->interval() != c.interval_ms()) b.timer->setInterval(c.interval_ms());
  if (c.enabled() && !b.timer->isActive()) b.timer->start();
  if (!c.enabled() && b.timer->isActive()) b.timer->stop();
}

void QtView::Impl::sync_caption(Drawn& b, QAbstractButton* button) {
  const QString caption = cp1252::decode(b.control->caption());
  if (button->text() != caption) {
    button->setText(caption);
    fit_caption(b);
  }
}

void QtView::Impl::sync_check_box(Drawn& b) {
  const QSignalBlocker block(b.check);
  const bool checked = b.control->value() != 0;
  if (b.check->isChecked() != checked) b.check->setChecked(checked);
  sync_caption(b, b.check);
}

void QtView::Impl::sync_option_button(Drawn& b) {
  const QSignalBlocker block(b.radio);
  if (b.radio->isChecked() != b.control->option_value()) {
    // An exclusive button cannot be unchecked on its own; the model may leave a group with no
    // choice (a value the panel does not know).
    b.radio->setAutoExclusive(false);
    b.radio->setChecked(b.control->option_value());
    b.radio->setAutoExclusive(true);
    tab_to_choice(b.radio->parentWidget());
  }
  sync_caption(b, b.radio);
}

void QtView::Impl::sync_label(Drawn& b) {
  const QString caption = cp1252::decode(b.control->caption());
  if (b.label->text() != caption) {
    b.label->setText(caption);
    fit_caption(b);
  }
}

bool QtView::Impl::sync_items(Drawn& b) {
  QStringList items;
  items.reserve(static_cast<qsizetype>(b.control->list().size()));
  for (const std::string& item : b.control->list()) items << cp1252::decode(item);
  bool same = b.combo->count() == items.size();
  for (int i = 0; same && i < items.size(); ++i) same = b.combo->itemText(i) == items[i];
  if (same) return false;
  if (b.validator != nullptr) b.validator->set_passive(true);
  b.combo->clear();
  b.combo->addItems(items);
  if (b.validator != nullptr) b.validator->set_passive(false);
  return true;
}

void QtView::Impl::sync_text(Drawn& b, QLineEdit* edit) {
  const QSignalBlocker block(edit);
  const QString text = cp1252::decode(b.control->text());
  if (edit->text() != text) {
    b.validator->set_passive(true);
    edit->setText(text);
    b.validator->set_passive(false);
  }
}

void QtView::Impl::sync_combo_box(Drawn& b) {
  const QSignalBlocker block(b.combo);
  if (sync_items(b)) fit_items(b);
  // The list's current item is the one the text is, so that Down, Up and an opened list start
  // from the value shown. Setting it sets the field's text too, which the text's own sync then
  // puts right where no item matches.
  const int current = b.control->current_item();
  if (b.combo->currentIndex() != current) {
    b.validator->set_passive(true);
    b.combo->setCurrentIndex(current);
    b.validator->set_passive(false);
  }
  sync_text(b, b.edit);
}

void QtView::Impl::sync_drive_list(Drawn& b) {
  const Control& c = *b.control;
  const QSignalBlocker block(b.combo);
  if (sync_items(b) && !c.list().empty()) {
    QAbstractItemView* list = b.combo->view();
    list->setMinimumWidth(drop_down_width(list->sizeHintForColumn(0), b.width,
                                          list->style()->pixelMetric(QStyle::PM_ScrollBarExtent),
                                          96));
  }
  const int index = c.current_item();
  if (b.combo->currentIndex() != index) b.combo->setCurrentIndex(index);
  const bool enabled = core.enabled(c);
  if (b.combo->isEnabled() != enabled) b.combo->setEnabled(enabled);
}

QtView::QtView(Form& form, QtWindowSystem& window_system, ViewEvents events)
    : impl_(std::make_unique<Impl>(form, window_system, std::move(events))) {
  impl_->build();
  impl_->core.sync();
}

QtView::~QtView() {
  if (impl_->ws.window() == impl_->window.get()) impl_->ws.attach(nullptr);
}

QWidget* QtView::window() const { return impl_->window.get(); }

QWidget* QtView::widget(const Control& control) const {
  // Asking for a widget on a page not yet shown makes that page's widgets.
  const std::size_t before = impl_->bindings.size();
  if (!impl_->realize(control)) return nullptr;
  if (impl_->bindings.size() != before) impl_->core.sync();
  auto it = impl_->by_control.find(&control);
  return it == impl_->by_control.end() ? nullptr : impl_->bindings[it->second].widget;
}

QWidget* QtView::widget(std::string_view name, int index) const {
  const Control* c = impl_->form.find(name, index);
  return c == nullptr ? nullptr : widget(*c);
}

void QtView::sync() { impl_->core.sync(); }

void QtView::show() {
  QWidget* w = impl_->window.get();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame(QPoint(0, 0), w->size());
    frame.moveCenter(screen->availableGeometry().center());
    w->move(frame.topLeft());
  }
  w->show();
  if (const Control* c = impl_->core.first_focus()) {
    if (QWidget* first = widget(*c)) {
      w->activateWindow();
      first->setFocus(Qt::OtherFocusReason);
    }
  }
}

}  // namespace quorvane
