// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/DataPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kalvetro {

QString DataPath(const QString& relative) {
  QStringList roots;
  if (QCoreApplication::instance())
    roots << QDir(QCoreApplication::applicationDirPath())
                 .filePath(QStringLiteral("../share/kalvetro"));
#ifdef KALVETRO_SOURCE_DATA_DIR
  roots << QStringLiteral(KALVETRO_SOURCE_DATA_DIR);
#endif
  for (const QString& root : roots) {
    const QString path = QDir(root).filePath(relative);
    if (QFileInfo::exists(path)) return QDir::cleanPath(path);
  }
  return {};
}

}  // namespace kalvetro
