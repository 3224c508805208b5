// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

#include "ui/DialogService.h"

namespace kalvetro::testing {

// Answers the console's questions and file dialogs from scripted replies and records what
// was asked. An unscripted question is answered No and an unscripted dialog is cancelled.
class FakeDialogs : public DialogService {
 public:
  bool Ask(const QString& text) override {
    questions.append(text);
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }
  void Error(const QString& text) override { errors.append(text); }
  void Warning(const QString& text) override { warnings.append(text); }
  std::optional<QString> OpenFile(const QString& fileName, const QString& filter) override {
    openRequests.append(fileName);
    lastFilter = filter;
    return Next(openReplies);
  }
  std::optional<QString> SaveFile(const QString& fileName, const QString& filter) override {
    saveRequests.append(fileName);
    lastFilter = filter;
    return Next(saveReplies);
  }

  std::deque<bool> answers;
  std::deque<std::optional<QString>> openReplies;
  std::deque<std::optional<QString>> saveReplies;
  QStringList questions, errors, warnings, openRequests, saveRequests;
  QString lastFilter;

 private:
  static std::optional<QString> Next(std::deque<std::optional<QString>>& replies) {
    if (replies.empty() || !replies.front().has_value()) {
      if (!replies.empty()) replies.pop_front();
      return std::nullopt;
    }
    const QString reply = *replies.front();
    replies.pop_front();
    return reply;
  }
};

}  // namespace kalvetro::testing
