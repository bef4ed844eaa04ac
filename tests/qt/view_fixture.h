#pragma once

// The window on Qt's offscreen platform, started from an empty folder, with the helpers that the
// view tests share: controls by name, their widgets, and typing as a keyboard would.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "front_ends/qt/qt_view.h"
#include "front_ends/qt/qt_window_system.h"
#include "qstring_printer.h"
#include "shell/main_window.h"
#include "test_support.h"
#include "view_suite.h"

namespace quorvane::testing {

class QtViewTest : public ::testing::Test {
 protected:
  TempFolder folder;
  DrivenWindowSystem ws;
  MainWindow main{folder.str(), ws};
  std::unique_ptr<QtView> view;

  void SetUp() override {
    main.Form_Load();
    view = std::make_unique<QtView>(main.form(), ws, main.view_events());
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
  }

  Control& at(const char* name, int index = -1) { return main.form().at(name, index); }
  QWidget* widget(const char* name, int index = -1) { return view->widget(name, index); }
  template <class W>
  W* as(const char* name, int index = -1) {
    auto* w = qobject_cast<W*>(widget(name, index));
    EXPECT_NE(w, nullptr) << name << "(" << index << ")";
    return w;
  }
  void click(const char* name, int index = -1) {
    QTest::mouseClick(widget(name, index), Qt::LeftButton);
  }
  QLineEdit* field(const char* name, int index = -1) {
    QWidget* w = widget(name, index);
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->lineEdit();
    return qobject_cast<QLineEdit*>(w);
  }
  // Types `text` as a keyboard would, one key per character (QTest::keyClicks knows Latin-1
  // only).
  static void type(QWidget* target, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
      QString one(text[i]);
      if (text[i].isHighSurrogate() && i + 1 < text.size()) one.append(text[++i]);
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, one);
      QApplication::sendEvent(target, &press);
      QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, one);
      QApplication::sendEvent(target, &release);
    }
  }
  void retype(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    type(edit, text);
  }
  // Drops the combo box's list down and clicks the item `text` in it, as a mouse would.
  static void choose(QComboBox* combo, const QString& text) {
    const int row = combo->findText(text, Qt::MatchExactly);
    ASSERT_GE(row, 0) << "no item \"" << text.toStdString() << "\"";
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    const QModelIndex index = combo->model()->index(row, combo->modelColumn());
    list->scrollTo(index);
    const QPoint at = list->visualRect(index).center();
    QTest::mouseMove(list->viewport(), at);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(QTest::qWaitFor([list] { return !list->isVisible(); }, 1000))
        << "the list stayed open";
  }
};

}  // namespace quorvane::testing
