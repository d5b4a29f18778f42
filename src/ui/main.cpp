#include <QApplication>

#include "ui/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  nrv::ui::TMainWindow window;
  window.show();
  return app.exec();
}
