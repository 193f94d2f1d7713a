// The simulated board's socket in the window: the operator takes chips out and puts others in,
// as he would at a real board, to see every outcome of every operation without one.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/frm_main.h"
#include "app/qt_text.h"
#include "frontend/simulated_socket_menu.h"
#include "operations/programmer.h"

namespace app {

sim::SimBoard* frmMain::SimulatedSocket() {
  if (port_access_ == nullptr || programmer_ == nullptr) return nullptr;
  if (!port_access_->Simulated(programmer_->board.PortBase)) return nullptr;
  return port_access_->SimulatedBoard();
}

// Runs like any other command (never during an operation), logs what is in the socket now.
void frmMain::HandleSocket(const std::function<std::string(sim::SimBoard&)>& action) {
  Route([this, &action](ops::Programmer& p) {
    if (sim::SimBoard* board = SimulatedSocket()) {
      p.ui.LogMessage(action(*board));
      damage_reported_.clear();
    }
  });
}

void frmMain::ReportSimulatedDamage() {
  const sim::SimBoard* board = SimulatedSocket();
  const std::string damage = board != nullptr ? frontend::DamageReport(*board) : std::string();
  if (damage.empty() || damage == damage_reported_) return;
  damage_reported_ = damage;
  LogMessage(damage);
}

void frmMain::BuildSimulatedSocketMenu() {
  // Beside the Setup menu, before Help.
  socket_menu_ = new QMenu("Simulated &Socket", this);
  menuBar()->insertMenu(Widget<QAction>(panel::Ctl::mnuHelp), socket_menu_);
  socket_menu_->setObjectName("mnuSimulatedSocket");
  socket_menu_->menuAction()->setVisible(false);
  const auto entry = [this](const char* name, const char* caption,
                            std::function<std::string(sim::SimBoard&)> action) {
    QAction* a = socket_menu_->addAction(caption);
    a->setObjectName(name);
    connect(a, &QAction::triggered, this,
            [this, action = std::move(action)] { HandleSocket(action); });
    return a;
  };
  entry("mnuSimBlankChip", "Put in a &Blank Chip", frontend::PutBlankChip);
  entry("mnuSimEraseChip", "&Erase the Chip in the Socket", frontend::EraseChip);
  QAction* from_file = socket_menu_->addAction("Put in a Chip Holding a &File...");
  from_file->setObjectName("mnuSimChipFromFile");
  connect(from_file, &QAction::triggered, this, [this] {
    if (busy_ || SimulatedSocket() == nullptr) return;
    int filter = 0;
    const QString path = dialogs_->OpenFile(this, "Chip Contents", "All Files (*)", filter);
    if (path.isEmpty()) return;
    HandleSocket([file = path.toStdString()](sim::SimBoard& board) {
      return frontend::PutChipHolding(board, file);
    });
  });
  QAction* other =
      entry("mnuSimOtherVoltage", "Put in the Part of the &Other Voltage", frontend::PutOtherPart);
  auto* faulty = socket_menu_->addMenu("Put in a &Faulty Chip");
  faulty->setObjectName("mnuSimFaultyChip");
  // The entries follow the device in the socket: what it can go wrong with, and whether its row
  // has a part of another voltage.
  connect(socket_menu_, &QMenu::aboutToShow, this, [this, other, faulty] {
    const sim::SimBoard* board = SimulatedSocket();
    other->setEnabled(board != nullptr && frontend::HasOtherPart(*board));
    faulty->clear();
    if (board == nullptr) return;
    for (const frontend::ChipFault fault : frontend::FaultsOf(*board)) {
      QString caption = Q(frontend::FaultText(fault));
      caption[0] = caption[0].toUpper();
      QAction* a = faulty->addAction(caption);
      connect(a, &QAction::triggered, this, [this, fault] {
        HandleSocket([fault](sim::SimBoard& b) { return frontend::PutFaultyChip(b, fault); });
      });
    }
  });
}

}  // namespace app
