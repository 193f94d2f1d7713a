#pragma once

#include <QDialog>
#include <QString>

#include "frontend/user_options.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace app {

class Dialogs;

// Tools - Options (frmOptions): the program's settings that otherwise live only in files. The
// port can be chosen here as under "LPT Port Selection"; how it is reached is a fact of the
// machine and only shown.
class frmOptions final : public QDialog {
  Q_OBJECT
 public:
  struct Facts {
    int port_option = -1;  // the LPTSelection option in force (0 378h, 1 278h, 2 3BCh); -1 none
    QString access;        // how that port is reached, as the status bar says it
  };
  frmOptions(QWidget* owner, const frontend::UserOptions& options, const Facts& facts,
             Dialogs& dialogs);

  frontend::UserOptions Chosen() const;
  int ChosenPortOption() const;  // -1: none

 private:
  void BrowseForDatFolder();

  Dialogs& dialogs_;
  QComboBox* port_;
  QCheckBox* simulated_board_;
  QCheckBox* fast_path_;
  QCheckBox* check_blank_;
  QCheckBox* verify_after_;
  QLineEdit* dat_folder_;
};

}  // namespace app
