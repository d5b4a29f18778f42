#include <QApplication>

#include <string>
#include <vector>

#include "services/startup.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  nrv::StartApplication(args);
  int rc = 0;
  {
    nrv::ui::TMainWindow window;
    window.show();
    rc = app.exec();
  }
  nrv::CloseApplication();
  return rc;
}
