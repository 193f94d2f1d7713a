#pragma once

#include <QString>

#include "panel/panel.h"

class QWidget;

namespace app {

// The modal dialogs the window shows. The window asks through this seam so that tests can answer
// for the operator.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual void MessageBox(QWidget* owner, const QString& text, const QString& title,
                          panel::Icon icon) = 0;
  // A question with the question icon, OK and Cancel; Cancel is the default button.
  virtual bool AskOkCancel(QWidget* owner, const QString& text, const QString& title) = 0;
  // The cancelled dialogs answer with the empty text.
  virtual QString InputBox(QWidget* owner, const QString& prompt, const QString& title) = 0;
  // chosen_filter: as for SaveFile.
  virtual QString OpenFile(QWidget* owner, const QString& title, const QString& filter,
                           int& chosen_filter) = 0;
  // offered: the file name the dialog starts with. chosen_filter: the entry of the
  // ";;"-separated filter that was chosen (0 the first).
  virtual QString SaveFile(QWidget* owner, const QString& title, const QString& filter,
                           const QString& offered, int& chosen_filter) = 0;
  // A folder, starting at `start`.
  virtual QString ChooseFolder(QWidget* owner, const QString& title, const QString& start) = 0;
};

// The real thing: QMessageBox, QInputDialog, QFileDialog.
class QtDialogs final : public Dialogs {
 public:
  void MessageBox(QWidget* owner, const QString& text, const QString& title,
                  panel::Icon icon) override;
  bool AskOkCancel(QWidget* owner, const QString& text, const QString& title) override;
  QString InputBox(QWidget* owner, const QString& prompt, const QString& title) override;
  QString OpenFile(QWidget* owner, const QString& title, const QString& filter,
                   int& chosen_filter) override;
  QString SaveFile(QWidget* owner, const QString& title, const QString& filter,
                   const QString& offered, int& chosen_filter) override;
  QString ChooseFolder(QWidget* owner, const QString& title, const QString& start) override;
};

}  // namespace app
