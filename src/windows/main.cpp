#include <QApplication>
#include <QCommandLineParser>

#include "windows/TBaseForm.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kalvetro"));
  QApplication::setApplicationDisplayName(QStringLiteral("Kalvetro"));
  QApplication::setApplicationVersion(QStringLiteral(KALVETRO_VERSION));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Kalvetro DMX512 lighting console"));
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption portOption(
      QStringLiteral("port"),
      QStringLiteral("Serial port of the DMX interface: COM1, COM2, ... or a device path."),
      QStringLiteral("DEVICE"), QStringLiteral("COM1"));
  parser.addOption(portOption);
  parser.addPositionalArgument(QStringLiteral("SHOW.klv"), QStringLiteral("Show file to open."),
                               QStringLiteral("[SHOW.klv]"));
  parser.process(app);

  kalvetro::StartOptions options;
  options.port = parser.value(portOption);
  if (!parser.positionalArguments().isEmpty())
    options.showFile = parser.positionalArguments().first();

  kalvetro::TBaseForm window(options);
  window.showMaximized();
  return QApplication::exec();
}
