#include "app/options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs.h"
#include "app/qt_text.h"

namespace app {
namespace {

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

}  // namespace

frmOptions::frmOptions(QWidget* owner, const frontend::UserOptions& options, const Facts& facts,
                       Dialogs& dialogs)
    : QDialog(owner),
      dialogs_(dialogs),
      port_(Named(new QComboBox(this), "OptionsPort")),
      simulated_board_(Named(new QCheckBox("Start on the simulated board when no parallel port "
                                           "can be reached (from the next start)",
                                           this),
                             "OptionsSimulatedBoard")),
      fast_path_(Named(new QCheckBox("Fast path: write latches only where they change, without "
                                     "settling waits (pulses and voltages as always)",
                                     this),
                       "OptionsFastPath")),
      check_blank_(
          Named(new QCheckBox("Check Blank Before Programming", this), "OptionsCheckBlank")),
      verify_after_(
          Named(new QCheckBox("Verify Device After Programming", this), "OptionsVerifyAfter")),
      dat_folder_(Named(new QLineEdit(Q(options.dat_folder), this), "OptionsDatFolder")) {
  setObjectName("frmOptions");
  setWindowTitle("Options");

  port_->addItems({"378h", "278h", "3BCh"});
  port_->setCurrentIndex(facts.port_option);
  auto* access = Named(new QLabel(facts.access, this), "OptionsAccess");
  access->setTextFormat(Qt::PlainText);
  access->setTextInteractionFlags(Qt::TextSelectableByMouse);
  access->setWordWrap(true);
  simulated_board_->setChecked(options.simulated_board);
  // The board's rows: one line each, so that another switch of the board is one more row.
  auto* board = new QGroupBox("Board and Port", this);
  auto* board_rows = new QFormLayout(board);
  board_rows->addRow("LPT port:", port_);
  board_rows->addRow("Reached through:", access);
  board_rows->addRow(simulated_board_);
  fast_path_->setChecked(options.fast_path);
  board_rows->addRow(fast_path_);

  check_blank_->setChecked(options.check_blank);
  verify_after_->setChecked(options.verify_after);
  auto* defaults = new QGroupBox("Optional Auto Operations at Start-up", this);
  auto* default_rows = new QVBoxLayout(defaults);
  default_rows->addWidget(check_blank_);
  default_rows->addWidget(verify_after_);

  auto* rom_lists = new QGroupBox("ROM Lists", this);
  auto* folder_row = new QHBoxLayout(rom_lists);
  folder_row->addWidget(new QLabel("Folder of the DAT files:", rom_lists));
  folder_row->addWidget(dat_folder_, 1);
  auto* browse = Named(new QPushButton("Browse...", rom_lists), "OptionsDatFolderBrowse");
  folder_row->addWidget(browse);
  connect(browse, &QPushButton::clicked, this, [this] { BrowseForDatFolder(); });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(board);
  layout->addWidget(defaults);
  layout->addWidget(rom_lists);
  layout->addWidget(buttons);
  dat_folder_->setMinimumWidth(dat_folder_->fontMetrics().horizontalAdvance(QString(40, 'x')));
}

void frmOptions::BrowseForDatFolder() {
  const QString folder = dialogs_.ChooseFolder(this, "ROM Lists Folder", dat_folder_->text());
  if (!folder.isEmpty()) dat_folder_->setText(folder);
}

frontend::UserOptions frmOptions::Chosen() const {
  frontend::UserOptions chosen;
  chosen.simulated_board = simulated_board_->isChecked();
  chosen.check_blank = check_blank_->isChecked();
  chosen.verify_after = verify_after_->isChecked();
  chosen.fast_path = fast_path_->isChecked();
  chosen.dat_folder = S(dat_folder_->text().trimmed());
  return chosen;
}

int frmOptions::ChosenPortOption() const {
  return port_->currentIndex();
}

}  // namespace app
