// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the main window at a given size, with a chosen tab shown, into a PNG file, for
// looking at the console without a display:
//   console_screenshot OUT.png [WIDTH HEIGHT] [INPUT_TAB] [SHOW.klv|-] [SETTINGS_TAB]
//                      [TEMPO_TAB] [BUTTON|-] [WINDOW]
// BUTTON names a button clicked before the picture is taken; WINDOW names a further top-level
// window of the console, shown and saved beside OUT as OUT-WINDOW.png; "AboutForm" shows the
// system information window, "AboutForm+" the same opened by " SYS INFO", and "HelpForm" the
// help window as its menu item opens it.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "windows/AboutWindow.h"
#include "windows/ConsoleStyle.h"
#include "windows/MainWindow.h"

namespace {
// Answers every question No and cancels every file dialog.
class NoDialogs : public kalvetro::DialogService {
 public:
  bool Ask(const QString&) override { return false; }
  void Error(const QString&) override {}
  void Warning(const QString&) override {}
  std::optional<QString> OpenFile(const QString&, const QString&) override { return {}; }
  std::optional<QString> SaveFile(const QString&, const QString&) override { return {}; }
};
}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  kalvetro::UseConsoleStyle();
  if (argc < 2) {
    qWarning("usage: console_screenshot OUT.png [WIDTH HEIGHT] [INPUT_TAB] [SHOW.klv]");
    return 2;
  }
  const int width = argc > 3 ? QString(argv[2]).toInt() : 1366;
  const int height = argc > 3 ? QString(argv[3]).toInt() : 768;
  const int tab = argc > 4 ? QString(argv[4]).toInt() : 0;
  QTemporaryDir dir;
  NoDialogs dialogs;
  kalvetro::StartOptions options;
  options.settingsFile = dir.filePath("Kalvo.ini");
  // KALVETRO_SCREENSHOT_SETTINGS: a settings file to start from (conveyor names, last show).
  if (const QString settings = qEnvironmentVariable("KALVETRO_SCREENSHOT_SETTINGS");
      !settings.isEmpty())
    QFile::copy(settings, options.settingsFile);
  options.autosaveFile = dir.filePath("ShouTemp.klv");
  if (argc > 5 && QString(argv[5]) != "-") options.showFile = argv[5];
  kalvetro::MainWindow window(options, &dialogs);
  window.setWindowState(Qt::WindowNoState);
  window.resize(width, height);
  window.show();
  if (auto* input = window.findChild<QTabWidget*>("PageControlInput")) input->setCurrentIndex(tab);
  if (auto* settings = window.findChild<QTabWidget*>("PageControlUst"); settings && argc > 6)
    settings->setCurrentIndex(QString(argv[6]).toInt());
  if (auto* tempo = window.findChild<QTabWidget*>("PageControlTemp"); tempo && argc > 7)
    tempo->setCurrentIndex(QString(argv[7]).toInt());
  if (argc > 8 && QString(argv[8]) != "-")
    if (auto* button = window.findChild<QAbstractButton*>(argv[8])) button->click();
  if (argc > 9 && QString(argv[9]) == "HelpForm")
    if (auto* help = window.findChild<QAction*>("HelpItem")) help->trigger();
  QWidget* extra = argc > 9 ? window.findChild<QWidget*>(argv[9]) : nullptr;
  std::unique_ptr<kalvetro::AboutWindow> about;
  if (argc > 9 && QString(argv[9]).startsWith("AboutForm")) {
    about = std::make_unique<kalvetro::AboutWindow>(QDir::currentPath(), &window);
    about->show();
    if (QString(argv[9]).endsWith('+')) about->ToggleSystemPanel();
    extra = about.get();
  }
  if (extra) extra->show();
  QTimer::singleShot(400, [&] {
    const QString out = QString::fromLocal8Bit(argv[1]);
    window.grab().save(out);
    if (extra) {
      const QFileInfo file(out);
      extra->grab().save(file.path() + "/" + file.completeBaseName() + "-" + argv[9] + ".png");
    }
    app.quit();
  });
  app.exec();
  window.Ticker().Stop();
  return 0;
}
