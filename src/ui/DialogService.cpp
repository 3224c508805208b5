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
}  // namespace

bool WidgetDialogService::Ask(const QString& text) {
  return QMessageBox::question(parent_, kTitle, text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

void WidgetDialogService::Error(const QString& text) {
  QMessageBox::critical(parent_, kTitle, text, QMessageBox::Ok);
}

void WidgetDialogService::Warning(const QString& text) {
  QMessageBox::warning(parent_, kTitle, text, QMessageBox::Ok);
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
