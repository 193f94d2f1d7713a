#include "app/dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
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

}  // namespace

void QtDialogs::MessageBox(QWidget* owner, const QString& text, const QString& title,
                           panel::Icon icon) {
  QMessageBox box(BoxIcon(icon), title, text, QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

bool QtDialogs::AskOkCancel(QWidget* owner, const QString& text, const QString& title) {
  QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Ok | QMessageBox::Cancel, owner);
  box.setTextFormat(Qt::PlainText);
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

}  // namespace app
