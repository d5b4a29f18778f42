#include "ui/main_window.h"

#include <QLabel>

#include "services/product_info.h"

namespace nrv::ui {

TMainWindow::TMainWindow(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QString::fromStdString(TitleLine()));
  auto* label = new QLabel(tr("Find duplicate files and remove them safely."), this);
  label->setAlignment(Qt::AlignCenter);
  setCentralWidget(label);
  resize(960, 640);
}

}  // namespace nrv::ui
