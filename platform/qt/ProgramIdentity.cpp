#include "ProgramIdentity.h"

#include <QApplication>
#include <QGuiApplication>

namespace {

// The sizes of the icon the program carries (platform/CMakeLists.txt) and the package installs.
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : kIconSizes)
    icon.addFile(QStringLiteral(":/icons/tirelo-%1.png").arg(size), QSize(size, size));
  return icon;
}

}  // namespace

const ProgramIdentity& TireloIdentity() {
  static const ProgramIdentity identity{QStringLiteral("Tirelo V"), QStringLiteral(TIRELO_VERSION),
                                        QStringLiteral("tirelo"), ProgramIcon()};
  return identity;
}

void ApplyProgramIdentity(const ProgramIdentity& identity) {
  QCoreApplication::setApplicationName(identity.name);
  QCoreApplication::setApplicationVersion(identity.version);
  QGuiApplication::setDesktopFileName(identity.desktopFileName);
  QApplication::setWindowIcon(identity.icon);
}
