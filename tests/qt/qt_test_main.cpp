#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  // The tests draw real widgets but need no screen; test discovery runs this too, without the
  // environment the tests get.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
