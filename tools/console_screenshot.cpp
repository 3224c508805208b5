// Renders the main window at a given size, with a chosen tab shown, into a PNG file, for
// looking at the console without a display:
//   console_screenshot OUT.png [WIDTH HEIGHT] [INPUT_TAB] [SHOW.klv|-] [SETTINGS_TAB] [static]
// With "static" the static pictures window is opened too and rendered into OUT_static.png.
#include <QAction>
#include <QApplication>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "windows/TBaseForm.h"

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
  options.dialogs = &dialogs;
  options.settingsFile = dir.filePath("Kalvo.ini");
  options.autosaveFile = dir.filePath("ShouTemp.klv");
  if (argc > 5 && QString(argv[5]) != "-") options.showFile = argv[5];
  kalvetro::TBaseForm window(options);
  window.setWindowState(Qt::WindowNoState);
  window.resize(width, height);
  window.show();
  if (auto* input = window.findChild<QTabWidget*>("PageControlInput")) input->setCurrentIndex(tab);
  if (auto* settings = window.findChild<QTabWidget*>("PageControlUst"); settings && argc > 6)
    settings->setCurrentIndex(QString(argv[6]).toInt());
  QWidget* pictures = nullptr;
  if (argc > 7 && QString(argv[7]) == "static") {
    if (auto* item = window.findChild<QAction*>("ChaserItem")) item->trigger();
    pictures = window.findChild<QWidget*>("StaticForm");
  }
  QTimer::singleShot(400, [&] {
    window.grab().save(QString::fromLocal8Bit(argv[1]));
    if (pictures) {
      QString out = QString::fromLocal8Bit(argv[1]);
      out.insert(out.lastIndexOf('.'), QStringLiteral("_static"));
      pictures->grab().save(out);
    }
    app.quit();
  });
  app.exec();
  window.Ticker().Stop();
  return 0;
}
