// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/SystemInfo.h"

#include <gnu/libc-version.h>
#include <pwd.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

namespace kalvetro {

namespace {

const QString kUnknown = QStringLiteral("Unknown");

QString OrUnknown(const QString& text) {
  return text.trimmed().isEmpty() ? kUnknown : text.trimmed();
}

QString ReadSmallFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
  return QString::fromUtf8(file.read(1 << 20));
}

// "key : value" lines of /proc/cpuinfo (first processor) and "KEY=value" of os-release.
QString FieldOf(const QString& text, const QString& key, QChar separator) {
  const QStringList lines = text.split(QLatin1Char('\n'));
  for (const QString& line : lines) {
    const int at = line.indexOf(separator);
    if (at < 0 || line.left(at).trimmed() != key) continue;
    QString value = line.mid(at + 1).trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
      value = value.mid(1, value.size() - 2);
    return value;
  }
  return {};
}

QString KiB(unsigned long long bytes) {
  return QString::number(bytes >> 10) + QStringLiteral(" K");
}

// MemAvailable of /proc/meminfo in bytes; 0 when absent.
unsigned long long MemAvailable() {
  const QString value = FieldOf(ReadSmallFile(QStringLiteral("/proc/meminfo")),
                                QStringLiteral("MemAvailable"), QLatin1Char(':'));
  bool ok = false;
  const unsigned long long kib = value.section(QLatin1Char(' '), 0, 0).toULongLong(&ok);
  return ok ? kib * 1024ULL : 0;
}

}  // namespace

QString ComparableProcessor(int family) {
  switch (family) {
    case 3:
      return QStringLiteral("Intel 80386");
    case 4:
      return QStringLiteral("Intel 80486");
    case 5:
      return QStringLiteral("Intel Pentium");
    case 6:
      return QStringLiteral("Intel Pentium III");
    default:
      return {};
  }
}

QString MegabytesText(unsigned long long bytes) {
  return QString::number(bytes / 1000000ULL) + QStringLiteral(" Mb");
}

SystemInfo ReadSystemInfo() {
  SystemInfo info;

  // Memory.
  struct sysinfo memory {};
  if (::sysinfo(&memory) == 0) {
    const unsigned long long unit = memory.mem_unit ? memory.mem_unit : 1;
    unsigned long long available = MemAvailable();
    if (available == 0) available = memory.freeram * unit;
    info.totalPhys = KiB(memory.totalram * unit);
    info.availPhys = KiB(available);
    info.totalSwap = KiB(memory.totalswap * unit);
    info.availSwap = KiB(memory.freeswap * unit);
  } else {
    info.totalPhys = info.availPhys = info.totalSwap = info.availSwap = kUnknown;
  }

  // Computer and processor.
  const QString vendorName = ReadSmallFile(QStringLiteral("/sys/class/dmi/id/sys_vendor"));
  const QString product = ReadSmallFile(QStringLiteral("/sys/class/dmi/id/product_name"));
  QString computer = (vendorName.trimmed() + QLatin1Char(' ') + product.trimmed()).trimmed();
  struct utsname names {};
  const bool haveNames = ::uname(&names) == 0;
  if (computer.isEmpty() && haveNames) computer = QString::fromLocal8Bit(names.nodename);
  info.computer = OrUnknown(computer);
  const QString cpu = ReadSmallFile(QStringLiteral("/proc/cpuinfo"));
  info.processor = OrUnknown(FieldOf(cpu, QStringLiteral("model name"), QLatin1Char(':')));
  info.vendor = OrUnknown(FieldOf(cpu, QStringLiteral("vendor_id"), QLatin1Char(':')));
  const QString flags = FieldOf(cpu, QStringLiteral("flags"), QLatin1Char(':'));
  if (flags.isEmpty()) {
    info.mmx = kUnknown;
  } else {
    info.mmx = flags.split(QLatin1Char(' ')).contains(QStringLiteral("mmx"))
                   ? QStringLiteral("MMX")
                   : QStringLiteral("Нет");
  }
  bool familyOk = false;
  const int family = FieldOf(cpu, QStringLiteral("cpu family"), QLatin1Char(':')).toInt(&familyOk);
  info.processorType = familyOk ? ComparableProcessor(family) : QString();

  // Versions.
  info.libcVersion =
      OrUnknown(QStringLiteral("glibc ") + QString::fromLatin1(gnu_get_libc_version()));
  if (haveNames) {
    const QString release = QString::fromLocal8Bit(names.release);
    static const QRegularExpression kRelease(QStringLiteral("^(\\d+)\\.(\\d+)(?:\\.(\\d+))?(.*)$"));
    const QRegularExpressionMatch m = kRelease.match(release);
    if (m.hasMatch()) {
      const unsigned major = m.captured(1).toUInt();
      const unsigned minor = m.captured(2).toUInt();
      const unsigned patch = m.captured(3).toUInt();
      QString rest = m.captured(4);
      if (rest.startsWith(QLatin1Char('-')) || rest.startsWith(QLatin1Char('.')) ||
          rest.startsWith(QLatin1Char('+')))
        rest.remove(0, 1);
      info.kernelVersion =
          QStringLiteral("Linux %1.%2").arg(major).arg(minor, 2, 10, QLatin1Char('0'));
      info.subversion = QStringLiteral("%1.%2 (%3.%4)").arg(major).arg(minor).arg(patch).arg(rest);
    }
    info.platform = QString::fromLocal8Bit(names.sysname) + QLatin1Char(' ') +
                    QString::fromLocal8Bit(names.machine);
  }
  info.kernelVersion = OrUnknown(info.kernelVersion);
  info.subversion = OrUnknown(info.subversion);
  info.platform = OrUnknown(info.platform);

  QString osRelease = ReadSmallFile(QStringLiteral("/etc/os-release"));
  if (osRelease.isEmpty()) osRelease = ReadSmallFile(QStringLiteral("/usr/lib/os-release"));
  info.osName = OrUnknown(FieldOf(osRelease, QStringLiteral("PRETTY_NAME"), QLatin1Char('=')));
  info.organization = kUnknown;
  QString owner;
  if (const passwd* user = ::getpwuid(::getuid())) {
    owner = QString::fromLocal8Bit(user->pw_gecos).section(QLatin1Char(','), 0, 0);
    if (owner.trimmed().isEmpty()) owner = QString::fromLocal8Bit(user->pw_name);
  }
  info.owner = OrUnknown(owner);
  info.serialNumber = OrUnknown(ReadSmallFile(QStringLiteral("/etc/machine-id")));
  info.homeDir = OrUnknown(QDir::homePath());
  return info;
}

DriveInfo ReadDriveInfo(const QString& folder) {
  DriveInfo drive;
  struct statvfs fs {};
  if (folder.isEmpty() || ::statvfs(QFile::encodeName(folder).constData(), &fs) != 0) {
    drive.free = MegabytesText(0);
    drive.size = MegabytesText(0);
    return drive;
  }
  drive.serial = QString::number(static_cast<unsigned long long>(fs.f_fsid));
  drive.free = MegabytesText(static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize);
  drive.size = MegabytesText(static_cast<unsigned long long>(fs.f_blocks) * fs.f_frsize);
  return drive;
}

}  // namespace kalvetro
