// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DialogService.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace kalvetro {

namespace {
const QString kTitle = QStringLiteral("Kalvetro");

QString FolderOf(const QString& fileName) {
  const QFileInfo info(fileName);
  return info.isRelative() && !fileName.contains('/') ? QString() : info.absolutePath();
}

// A message box whose text (it often holds a file name) is shown as plain text.
QMessageBox::StandardButton ShowMessage(QWidget* parent, QMessageBox::Icon icon,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton byDefault) {
  QMessageBox box(icon, kTitle, text, buttons, parent);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(byDefault);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}
}  // namespace

bool WidgetDialogService::Ask(const QString& text) {
  return ShowMessage(parent_, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                     QMessageBox::No) == QMessageBox::Yes;
}

void WidgetDialogService::Error(const QString& text) {
  ShowMessage(parent_, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

void WidgetDialogService::Warning(const QString& text) {
  ShowMessage(parent_, QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

std::optional<QString> WidgetDialogService::OpenFile(const QString& fileName,
                                                     const QString& filter) {
  QFileDialog dialog(parent_, QStringLiteral("Открыть Шоу"), FolderOf(fileName), filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QStringLiteral("klv"));
  if (!fileName.isEmpty()) dialog.selectFile(fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

std::optional<QString> WidgetDialogService::SaveFile(const QString& fileName,
                                                     const QString& filter) {
  QFileDialog dialog(parent_, QStringLiteral("Сохранить Шоу"), FolderOf(fileName), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("klv"));
  // The dialog asks before overwriting an existing file (its default behaviour).
  if (!fileName.isEmpty()) dialog.selectFile(fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

}  // namespace kalvetro
