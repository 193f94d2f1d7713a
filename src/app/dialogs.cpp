#include "app/dialogs.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QSpacerItem>
#include <algorithm>

namespace app {
namespace {

QMessageBox::Icon BoxIcon(panel::Icon icon) {
  switch (icon) {
    case panel::Icon::Exclamation:
      return QMessageBox::Warning;
    case panel::Icon::Question:
      return QMessageBox::Question;
    case panel::Icon::Information:
      return QMessageBox::Information;
    case panel::Icon::Critical:
      return QMessageBox::Critical;
    case panel::Icon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// A message box is as wide as its text; with a short text the window manager cuts the title
// ("Safet... estion"). A spacer across the box's grid keeps it as wide as the title needs.
void FitTitle(QMessageBox& box, const QString& title) {
  constexpr int kTitleBarExtras = 160;  // icon, buttons and margins of a title bar
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid == nullptr) return;
  const int width = box.fontMetrics().horizontalAdvance(title) + kTitleBarExtras;
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),  // owned
                grid->rowCount(), 0, 1, grid->columnCount());                           // by grid
}

}  // namespace

void QtDialogs::MessageBox(QWidget* owner, const QString& text, const QString& title,
                           panel::Icon icon) {
  QMessageBox box(BoxIcon(icon), title, text, QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  FitTitle(box, title);
  box.exec();
}

bool QtDialogs::AskOkCancel(QWidget* owner, const QString& text, const QString& title) {
  QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Ok | QMessageBox::Cancel, owner);
  box.setTextFormat(Qt::PlainText);
  FitTitle(box, title);
  // Every question guards an action on the chip: Enter must not start it.
  box.setDefaultButton(QMessageBox::Cancel);
  box.setEscapeButton(QMessageBox::Cancel);
  return box.exec() == QMessageBox::Ok;
}

QString QtDialogs::InputBox(QWidget* owner, const QString& prompt, const QString& title) {
  bool ok = false;
  const QString text = QInputDialog::getText(owner, title, prompt, QLineEdit::Normal, {}, &ok);
  return ok ? text : QString();
}

QString QtDialogs::OpenFile(QWidget* owner, const QString& title, const QString& filter,
                            int& chosen_filter) {
  QString selected;
  const QString path = QFileDialog::getOpenFileName(owner, title, {}, filter, &selected);
  chosen_filter = std::max(0, static_cast<int>(filter.split(";;").indexOf(selected)));
  return path;
}

QString QtDialogs::SaveFile(QWidget* owner, const QString& title, const QString& filter,
                            const QString& offered, int& chosen_filter) {
  QString selected;
  const QString path = QFileDialog::getSaveFileName(owner, title, offered, filter, &selected);
  chosen_filter = std::max(0, static_cast<int>(filter.split(";;").indexOf(selected)));
  return path;
}

QString QtDialogs::ChooseFolder(QWidget* owner, const QString& title, const QString& start) {
  return QFileDialog::getExistingDirectory(owner, title, start);
}

}  // namespace app
