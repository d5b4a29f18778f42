#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "services/product_name.h"
#include "ui/main_window.h"

TEST(MainWindow, ShowsTheProductInItsTitle) {
  nrv::ui::TMainWindow w;
  w.show();
  EXPECT_TRUE(w.windowTitle().startsWith(QString::fromUtf8(nrv::kProductName)));
}

int main(int argc, char** argv) {
  // Widget tests run on the offscreen platform unless told otherwise.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
