// SPDX-License-Identifier: GPL-3.0-or-later
#include <QBoxLayout>
#include <QLayoutItem>

#include "editing/ui/BlockCopyPage.h"
#include "editing/ui/ChannelGraphPage.h"
#include "editing/ui/LevelTablePage.h"
#include "windows/MainWindow.h"

namespace kalvetro {

namespace {

// The tab's layout holds its undo pair and a stretch: the stretch goes (the page brings its
// own), the pair moves into the page, and the page takes the pair's place at the top.
QBoxLayout* TakeTabLayout(QWidget* tab, QWidget** undoPair, const QString& pairName) {
  auto* layout = static_cast<QBoxLayout*>(tab->layout());
  *undoPair = tab->findChild<QWidget*>(pairName, Qt::FindDirectChildrenOnly);
  while (QLayoutItem* item = layout->takeAt(0)) delete item;  // the pair widget itself stays
  layout->setContentsMargins(2, 2, 2, 2);
  return layout;
}

}  // namespace

// The editing pages: the level table, the channel graph and the block copies.
void MainWindow::BuildEditingPages() {
  QWidget* pair = nullptr;

  QWidget* levelTableTab = Tab("TabSheetDamp");
  QBoxLayout* levelTable = TakeTabLayout(levelTableTab, &pair, QStringLiteral("UndoPair2"));
  levelTable->addWidget(new LevelTablePage(console_, *this, pair, levelTableTab));

  QWidget* graphTab = Tab("TabSheetGrafik");
  QBoxLayout* graph = TakeTabLayout(graphTab, &pair, QStringLiteral("UndoPair3"));
  graph->addWidget(new ChannelGraphPage(console_, *this, pair, graphTab));

  // Further groups of this tab (the names copy) are appended below the copy groups.
  QWidget* copyTab = Tab("TabSheetCopy");
  QBoxLayout* copy = TakeTabLayout(copyTab, &pair, QStringLiteral("UndoPair5"));
  copy->addWidget(new BlockCopyPage(console_, *this, pair, copyTab), 0, Qt::AlignTop);
}

}  // namespace kalvetro
