#include "ui/main_window.h"

#include <QLabel>

#include "services/product_name.h"

namespace nrv::ui {

TMainWindow::TMainWindow(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("%1 %2").arg(QString::fromUtf8(kProductName),
                                             QString::fromUtf8(kProductVersion)));
  auto* label = new QLabel(tr("Find duplicate files and remove them safely."), this);
  label->setAlignment(Qt::AlignCenter);
  setCentralWidget(label);
  resize(960, 640);
}

}  // namespace nrv::ui
