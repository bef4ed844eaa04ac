#include <gtest/gtest.h>

#include <QApplication>
#include <QString>

namespace {

QtMessageHandler qt_default_handler = nullptr;

// The offscreen platform cannot raise a window and says so each time a page is shown.
void quiet_handler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message == QLatin1String("This plugin does not support raise()")) return;
  qt_default_handler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
  qt_default_handler = qInstallMessageHandler(quiet_handler);
  // Real widgets, no screen: test discovery runs this too, without the tests' environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
