// What the window shows of its own state: the controls held while an operation keeps the window
// busy, and a failure in the status bar while the error alert is on.
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <algorithm>

#include "app/buffer_editor.h"
#include "app/frm_main.h"
#include "app/main_form.h"
#include "app/qt_text.h"

namespace app {

using panel::Ctl;
using panel::Ref;

namespace {

// The controls of the form the operator acts on; the indicators, the views and the labels only
// show something (the file name's label, clicked to open a file, excepted).
bool TakesInput(const FormControl& row) {
  switch (row.kind) {
    case Kind::Button:
    case Kind::Check:
    case Kind::Option:
    case Kind::List:
    case Kind::Scroll:
    case Kind::Slider:
      return true;
    case Kind::ClickLabel:
      return row.ref == Ref(Ctl::FileNameCodeText);
    default:
      return false;
  }
}

// A line of the log that carries words, not only a rule of asterisks.
bool SaysSomething(const std::string& line) {
  return std::ranges::any_of(line, [](char c) { return c != '*' && c != ' '; });
}

}  // namespace

std::vector<Ref> frmMain::InputControls() {
  std::vector<Ref> inputs;
  for (const FormControl& row : FormControls()) {
    if (TakesInput(row)) inputs.push_back(row.ref);
  }
  return inputs;
}

// The operation has kept the window busy long enough for the desktop to paint it: every control
// that would drop the operator's input now looks it. The core may still enable or disable them
// meanwhile; that is kept aside and shown when the operation ends. The Stop control stays as it is.
void frmMain::HoldInputs() {
  if (inputs_held_) return;
  inputs_held_ = true;
  held_focus_ = QApplication::focusWidget();
  for (Ref r : inputs_) {
    QObject* object = Control(r);
    held_enabled_[KeyOf(r)] = KindOf(r).Enabled(*object);
    KindOf(r).SetEnabled(*object, false);
  }
  // The menus' and toolbar's own entries keep their states; only their bars look disabled.
  menuBar()->setEnabled(false);
  Widget<QWidget>(Ctl::tbToolBar)->setEnabled(false);
  // The image the operation works on does not change under it.
  if (editor_ != nullptr) editor_->setEnabled(false);
}

void frmMain::ReleaseInputs() {
  if (!inputs_held_) return;
  inputs_held_ = false;
  for (const auto& [key, enabled] : held_enabled_) {
    const Ref r(key.first, key.second);
    KindOf(r).SetEnabled(*Control(r), enabled);
  }
  held_enabled_.clear();
  menuBar()->setEnabled(true);
  Widget<QWidget>(Ctl::tbToolBar)->setEnabled(true);
  if (editor_ != nullptr) editor_->setEnabled(true);
  if (held_focus_ != nullptr && held_focus_->isEnabled()) held_focus_->setFocus();
  held_focus_ = nullptr;
}

std::optional<bool> frmMain::HeldEnabled(Ref r) const {
  if (!inputs_held_) return std::nullopt;
  const auto it = held_enabled_.find(KeyOf(r));
  if (it == held_enabled_.end()) return std::nullopt;
  return it->second;
}

bool frmMain::KeepHeldEnabled(Ref r, bool enabled) {
  if (!inputs_held_) return false;
  const auto it = held_enabled_.find(KeyOf(r));
  if (it == held_enabled_.end()) return false;
  it->second = enabled;
  return true;
}

void frmMain::BuildFailurePanel(QStatusBar& bar) {
  status_failure_ = new QLabel(&bar);
  status_failure_->setObjectName("sbStatusBar.Failure");
  status_failure_->setTextFormat(Qt::PlainText);
  // A long failure is cut at the panel's edge rather than widening the window; the tool tip
  // holds it whole.
  status_failure_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  status_failure_->setAutoFillBackground(true);
  QPalette palette = status_failure_->palette();
  palette.setColor(QPalette::Window, QColor(0xC0, 0x00, 0x00));
  palette.setColor(QPalette::WindowText, Qt::white);
  status_failure_->setPalette(palette);
  QFont bold = status_failure_->font();
  bold.setBold(true);
  status_failure_->setFont(bold);
  status_failure_->hide();
  bar.addWidget(status_failure_, 4);
}

// The error indicator was lit or put out. Lit, the failure the operation reported is shown in
// the status bar (and follows the lines it still writes); out, the panel goes.
void frmMain::ErrorIndicatorChanged(bool lit) {
  if (!lit) {
    alert_at_.reset();
    status_failure_->hide();
    return;
  }
  alert_at_ = operation_lines_.size();
  ShowFailure();
}

void frmMain::NoteOperationLine(std::string_view message) {
  if (!busy_) return;
  operation_lines_.emplace_back(message);
  if (alert_at_) ShowFailure();
}

// The failure in the operation's own words: what it logged from the alert on, or, where it
// wrote its report first and raised the alert after it, the report's "***" lines before it.
std::vector<std::string> frmMain::FailureLines() const {
  std::vector<std::string> lines;
  const size_t at = std::min(*alert_at_, operation_lines_.size());
  for (size_t i = at; i < operation_lines_.size(); ++i) {
    if (SaysSomething(operation_lines_[i])) lines.push_back(operation_lines_[i]);
  }
  if (!lines.empty()) return lines;
  size_t first = at;
  while (first > 0 && operation_lines_[first - 1].starts_with("***")) --first;
  for (size_t i = first; i < at; ++i) lines.push_back(operation_lines_[i]);
  return lines;
}

void frmMain::ShowFailure() {
  QString text = "ERROR";
  QString tip;
  for (const std::string& line : FailureLines()) {
    text += (tip.isEmpty() ? ": " : "  ") + Q(line);
    tip += Q(line) + "\n";
  }
  status_failure_->setText(text);
  status_failure_->setToolTip(tip + "Click the ERROR indicator to clear the alert.");
  status_failure_->show();
  status_failure_->repaint();  // the operation that failed may keep the thread busy a while
}

}  // namespace app
