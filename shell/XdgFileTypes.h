#pragma once
// The key/value store of RegisterFileType over the freedesktop mechanisms, everything written
// under the user's data folder ($XDG_DATA_HOME):
//   ext                      the MIME type whose glob is "*" + ext; written as a
//                            shared-mime-info package "mime/packages/<type name>.xml"
//   progId\shell\open\command the application that opens the type (a mimeapps.list entry or a
//                            desktop entry naming it); written as the program's desktop entry
//                            "applications/tirelo.desktop" and a [Default Applications] line
//   progId\DefaultIcon       written as the type's icon in the hicolor theme
// What a package installed (its desktop entry starting this program, its icons) counts as
// there, so a program started from its installed prefix writes nothing into the home folder.
// A progId that is not a MIME type name (the description the trainer writes itself) stands for
// the type "application/x-tirelo-<description in lower case, signs as '-'>". The label of the
// open verb and the description under the progId have no place of their own: the desktop
// entry's name and the package's comment carry them, so those keys do not open.

#include <string>
#include <vector>

#include "Registr.h"
#include "XdgFiles.h"

struct XdgProgram {
  std::string desktopId = "tirelo.desktop";
  std::string name = "Tirelo V";
  std::string comment;                    // UTF-8
  std::vector<std::string> descriptions;  // the program's own types, Windows-1252
  std::filesystem::path iconFile;         // an SVG; none: no icons are written
  std::string iconName = "tirelo";
  // The program that registers; an installed entry that starts it counts as its own.
  std::string executable;
};

class XdgFileTypes : public RegistryKeys {
 public:
  XdgFileTypes(xdg::Places places, XdgProgram program);

  std::unique_ptr<RegistryKey> OpenOrCreate(const std::string& path) override;
  std::unique_ptr<RegistryKey> Open(const std::string& path) override;

  // The MIME type a progId stands for.
  static std::string TypeOf(const std::string& progId);

  // What was written so far, for the refresh of the databases.
  bool WroteMimePackage() const { return wroteMime_; }
  bool WroteDesktopEntry() const { return wroteDesktop_; }

  // Called by the keys.
  std::string ReadExtension(const std::string& ext) const;
  void WriteExtension(const std::string& ext, const std::string& description);
  std::string ReadOpenCommand(const std::string& type) const;
  void WriteOpenCommand(const std::string& type, const std::string& command);
  bool HasIcon(const std::string& type) const;
  void WriteIcon(const std::string& type);

 private:
  xdg::Places places_;
  XdgProgram program_;
  bool wroteMime_ = false;
  bool wroteDesktop_ = false;
};

// The trainer's registration of one type on this desktop, from the environment's folders,
// with the databases refreshed when something was written. Failures give false, silently.
bool RegisterTrainerFileType(const std::string& ext, const std::string& description,
                             const std::string& executable, const std::filesystem::path& iconFile);

// The trainer's own types, in the order of the registrations.
const std::vector<std::string>& TrainerTypeDescriptions();
