// One QApplication for all window tests; they run on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <unistd.h>

// The offscreen screen of 1280 x 1024 holds every window size the tests ask for, with the
// frame: windows never grow beyond the screen.
int main(int argc, char** argv) {
  const QString config = QDir::temp().filePath(QString("tirelo-ui-screen-%1.json").arg(::getpid()));
  QFile file(config);
  if (file.open(QIODevice::WriteOnly))
    file.write(R"({"screens": [{"name": "Test", "x": 0, "y": 0, "width": 1280, "height": 1024,)"
               R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
  file.close();
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  QFile::remove(config);
  return result;
}
