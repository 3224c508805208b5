// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWidget>

class QListWidget;
class QTextBrowser;

namespace kalvetro {

// The console's help: HTML pages in Russian from the help folder, with a contents list on
// the left and the page, with its links, on the right.
class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  // helpFolder holds index.html and the pages it links to.
  HelpWindow(const QString& helpFolder, QWidget* parent = nullptr);

  // Shows a page of the folder ("index.html", "keys.html", ...).
  void ShowPage(const QString& page);

  // The help folder of the console (installed or in the source tree); empty when there is
  // none with an index.html.
  static QString HelpFolder();

  QListWidget* contentsList = nullptr;
  QTextBrowser* browser = nullptr;

 private:
  QString folder_;
};

}  // namespace kalvetro
