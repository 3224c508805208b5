// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/WebCommand.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>
#include <cmath>
#include <initializer_list>
#include <optional>

#include "playback/Sequencer.h"

namespace kalvetro {

namespace {

using K = RemoteCommandKind;

WebMessage Refuse(const QString& reason) {
  WebMessage m;
  m.error = reason;
  return m;
}

// A JSON number that is a whole number in low..high, else nullopt.
std::optional<int> WholeNumber(const QJsonValue& v, int low, int high) {
  if (!v.isDouble()) return std::nullopt;
  const double d = v.toDouble();
  if (!std::isfinite(d) || d != std::floor(d) || d < low || d > high) return std::nullopt;
  return static_cast<int>(d);
}

// Checks that the object has exactly the named fields besides "cmd".
bool HasOnly(const QJsonObject& o, std::initializer_list<const char*> names) {
  for (auto it = o.begin(); it != o.end(); ++it) {
    if (it.key() == QLatin1String("cmd")) continue;
    bool known = false;
    for (const char* n : names) known = known || it.key() == QLatin1String(n);
    if (!known) return false;
  }
  for (const char* n : names)
    if (!o.contains(QLatin1String(n))) return false;
  return true;
}

struct CommandForm {
  const char* name;
  K kind;
  int fixedA;              // for commands without fields: the value of a (play 1, stop 0)
  const char* numberName;  // the number field, or nullptr
  int low, high;           // its range
  const char* secondName;  // "on" (a flag) or "level" (0..255), or nullptr
};

// Every command of the page and the fields it carries.
constexpr CommandForm kForms[] = {
    {"play", K::Play, 1, nullptr, 0, 0, nullptr},
    {"stop", K::Play, 0, nullptr, 0, 0, nullptr},
    {"next", K::Next, 0, nullptr, 0, 0, nullptr},
    {"previous", K::Previous, 0, nullptr, 0, 0, nullptr},
    {"scene", K::Scene, 0, "n", 1, kSceneCount, nullptr},
    {"tempo", K::Tempo, 0, "value", kTempoMin, kTempoMax, nullptr},
    {"blackout", K::BlackOut, 0, nullptr, 0, 0, "on"},
    {"picture", K::Picture, 0, "n", 1, kPictureCount, "on"},
    {"latch", K::Latch, 0, "n", 1, kPictureCount, "on"},
    {"channel", K::Channel, 0, "n", 1, kChannelCount, "level"},
    {"automat", K::Automat, 0, "n", 1, 2, "on"},
};

QString OutOfRange(const char* field, int low, int high) {
  return QStringLiteral("Поле \"%1\": нужно целое %2..%3")
      .arg(QLatin1String(field))
      .arg(low)
      .arg(high);
}

WebMessage ReadCommand(const QString& name, const QJsonObject& o) {
  if (name == QLatin1String("watch")) {
    if (!HasOnly(o, {"n"})) return Refuse(QStringLiteral("Команда watch: нужно поле n"));
    const auto n = WholeNumber(o.value(QLatin1String("n")), 0, kChannelCount);
    if (!n) return Refuse(OutOfRange("n", 0, kChannelCount));
    WebMessage m;
    m.kind = WebMessageKind::Watch;
    m.channel = *n;
    return m;
  }
  for (const CommandForm& form : kForms) {
    if (name != QLatin1String(form.name)) continue;
    std::initializer_list<const char*> none{};
    const bool fieldsRight = form.numberName && form.secondName
                                 ? HasOnly(o, {form.numberName, form.secondName})
                             : form.numberName ? HasOnly(o, {form.numberName})
                             : form.secondName ? HasOnly(o, {form.secondName})
                                               : HasOnly(o, none);
    if (!fieldsRight)
      return Refuse(QStringLiteral("Команда %1: не те поля").arg(QLatin1String(form.name)));
    WebMessage m;
    m.kind = WebMessageKind::Command;
    m.command.kind = form.kind;
    m.command.a = form.fixedA;
    int* second = &m.command.b;
    if (form.numberName) {
      const auto n = WholeNumber(o.value(QLatin1String(form.numberName)), form.low, form.high);
      if (!n) return Refuse(OutOfRange(form.numberName, form.low, form.high));
      m.command.a = *n;
    } else {
      second = &m.command.a;  // blackout carries its flag in a
    }
    if (form.secondName) {
      const QJsonValue v = o.value(QLatin1String(form.secondName));
      if (QLatin1String(form.secondName) == QLatin1String("on")) {
        if (!v.isBool()) return Refuse(QStringLiteral("Поле \"on\": нужно true или false"));
        *second = v.toBool() ? 1 : 0;
      } else {
        const auto level = WholeNumber(v, 0, 255);
        if (!level) return Refuse(OutOfRange(form.secondName, 0, 255));
        *second = *level;
      }
    }
    return m;
  }
  return Refuse(QStringLiteral("Неизвестная команда"));
}

}  // namespace

WebMessage ParseWebMessage(QByteArrayView text) {
  if (text.size() > kWebMessageMax)
    return Refuse(QStringLiteral("Сообщение длиннее %1 байт").arg(kWebMessageMax));
  QJsonParseError parseError;
  const QJsonDocument doc = QJsonDocument::fromJson(text.toByteArray(), &parseError);
  if (parseError.error != QJsonParseError::NoError || !doc.isObject())
    return Refuse(QStringLiteral("Не JSON-объект"));
  const QJsonObject o = doc.object();
  if (o.contains(QLatin1String("pin"))) {
    const QJsonValue pin = o.value(QLatin1String("pin"));
    if (o.size() != 1 || !pin.isString()) return Refuse(QStringLiteral("PIN: нужна строка"));
    WebMessage m;
    m.kind = WebMessageKind::Pin;
    m.pin = pin.toString();
    return m;
  }
  const QJsonValue cmd = o.value(QLatin1String("cmd"));
  if (!cmd.isString()) return Refuse(QStringLiteral("Нет поля \"cmd\""));
  return ReadCommand(cmd.toString(), o);
}

}  // namespace kalvetro
