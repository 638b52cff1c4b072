#pragma once
// The one place that states who the program is: its name, version, icon and the name of its
// desktop entry. Applied to the application at start-up, so every window (the trainer, the FTP
// tool, the help, every dialog) shows the same icon and the desktop finds the program's entry
// for its windows.
#include <QIcon>
#include <QString>

struct ProgramIdentity {
  QString name;
  QString version;
  QString desktopFileName;  // the desktop entry's id without ".desktop"
  QIcon icon;               // every size the program ships, 16 to 256 pixels
};

const ProgramIdentity& TireloIdentity();

// Name, version, desktop file name and the window icon of every window.
void ApplyProgramIdentity(const ProgramIdentity& identity);
