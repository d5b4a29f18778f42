#pragma once
#include <QMainWindow>

namespace nrv::ui {

class TMainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit TMainWindow(QWidget* parent = nullptr);
};

}  // namespace nrv::ui
