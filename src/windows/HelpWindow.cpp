// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/HelpWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "windows/DataPaths.h"

namespace kalvetro {

namespace {

struct HelpPage {
  const char* file;
  const char* title;
};

// The contents, in the order an operator meets the console.
constexpr HelpPage kPages[] = {
    {"index.html", "Содержание"},
    {"start.html", "Первый запуск и главное окно"},
    {"sequencer.html", "Секвенсер"},
    {"sound.html", "ЗВУК"},
    {"rates.html", "Плавность"},
    {"levels.html", "Уровни"},
    {"pictures.html", "Стат. картины и окно картин"},
    {"faders.html", "Фэйдера"},
    {"dump.html", "Дамп"},
    {"graph.html", "График Канала"},
    {"beam.html", "Редактор луча"},
    {"copy.html", "Копирование"},
    {"automats.html", "Автоматы"},
    {"options.html", "Опции и цвет формы"},
    {"devices.html", "Приборы"},
    {"conveyor.html", "Конвейр потоков Шоу"},
    {"handscan.html", "Окно ручного сканирования"},
    {"about.html", "Окно «О программе»"},
    {"keys.html", "Клавиатура"},
    {"files.html", "Файлы и настройки"},
    {"interface.html", "Подключение интерфейса DMX"},
};

}  // namespace

QString HelpWindow::HelpFolder() {
  const QString folder = DataPath(QStringLiteral("help"));
  if (folder.isEmpty() || !QFileInfo::exists(QDir(folder).filePath(QStringLiteral("index.html"))))
    return {};
  return folder;
}

HelpWindow::HelpWindow(const QString& helpFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), folder_(helpFolder) {
  setObjectName(QStringLiteral("HelpForm"));
  setWindowTitle(QStringLiteral("Справка Kalvetro"));
  resize(900, 620);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);

  auto* buttons = new QHBoxLayout;
  auto* back = new QPushButton(QStringLiteral("Назад"), this);
  back->setObjectName(QStringLiteral("ButtonBack"));
  auto* home = new QPushButton(QStringLiteral("Содержание"), this);
  home->setObjectName(QStringLiteral("ButtonHome"));
  buttons->addWidget(back);
  buttons->addWidget(home);
  buttons->addStretch();
  layout->addLayout(buttons);

  auto* splitter = new QSplitter(this);
  contentsList = new QListWidget(splitter);
  contentsList->setObjectName(QStringLiteral("ListContents"));
  for (const HelpPage& page : kPages) {
    auto* item = new QListWidgetItem(QString::fromUtf8(page.title), contentsList);
    item->setData(Qt::UserRole, QString::fromLatin1(page.file));
  }
  browser = new QTextBrowser(splitter);
  browser->setObjectName(QStringLiteral("Browser"));
  browser->setOpenExternalLinks(true);
  browser->setSearchPaths({folder_});
  splitter->addWidget(contentsList);
  splitter->addWidget(browser);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({230, 670});
  layout->addWidget(splitter, 1);

  connect(contentsList, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { ShowPage(item->data(Qt::UserRole).toString()); });
  connect(contentsList, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { ShowPage(item->data(Qt::UserRole).toString()); });
  connect(back, &QPushButton::clicked, browser, &QTextBrowser::backward);
  connect(home, &QPushButton::clicked, this, [this] { ShowPage(QStringLiteral("index.html")); });
  connect(browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  back->setEnabled(false);
  ShowPage(QStringLiteral("index.html"));
}

void HelpWindow::ShowPage(const QString& page) {
  browser->setSource(QUrl::fromLocalFile(QDir(folder_).filePath(page)));
}

}  // namespace kalvetro
