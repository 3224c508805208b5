// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace kalvetro {

// Every message box and file dialog of the console goes through this interface, so that
// tests can answer them without a person.
class DialogService {
 public:
  virtual ~DialogService() = default;
  // Confirmation with Yes and No; true only for Yes.
  virtual bool Ask(const QString& text) = 0;
  virtual void Error(const QString& text) = 0;
  virtual void Warning(const QString& text) = 0;
  // File choice; nullopt when cancelled. fileName is the dialog's current name (may hold a
  // folder); filter in the toolkit's form "Files (*.klv)".
  virtual std::optional<QString> OpenFile(const QString& fileName, const QString& filter) = 0;
  virtual std::optional<QString> SaveFile(const QString& fileName, const QString& filter) = 0;
};

// The real dialogs: QMessageBox and QFileDialog owned by parent.
class WidgetDialogService : public DialogService {
 public:
  explicit WidgetDialogService(QWidget* parent) : parent_(parent) {}
  bool Ask(const QString& text) override;
  void Error(const QString& text) override;
  void Warning(const QString& text) override;
  std::optional<QString> OpenFile(const QString& fileName, const QString& filter) override;
  std::optional<QString> SaveFile(const QString& fileName, const QString& filter) override;

 private:
  QWidget* parent_;
};

}  // namespace kalvetro
