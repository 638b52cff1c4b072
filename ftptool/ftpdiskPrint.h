// The printout of the open profile's access data: server, port, user, password, proxy mode
// and proxy data, one sheet per copy. A password is printed in clear only when the user typed
// it once more, exactly, in the print dialog TDruDlg; otherwise as one "#" per character.
//
// The window brings the profile record up to date (ControlsToProfile) and hands over the
// log-in part; the dialog is asked through a callback, so the printout is tested on the
// recording canvas without a window.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Dialogs.h"
#include "FtpProfile.h"
#include "PrintCanvas.h"

// Shown when a print is asked for while an earlier job is still open.
inline const std::string kAccessPrintBusy =
    "Ein fr\xFCherer Druckauftrag ist noch nicht beendet. Bitte warten und neu anfordern!";

// The log-in as the page "Anmeldung" shows it at the moment of printing, saved or not.
struct AccessDataFields {
  FtpLoginValues Login;
  std::string FileName;  // the profile's current file name (the job title)
  double Today = 0;      // the date printed in the first line, a day count
};

// What the user typed into TDruDlg's PassEdit and PassEditP before pressing OK.
struct RepeatedPasswords {
  std::string Password, ProxyPassword;
};

// The name of a ProxyGroup item: 0 "kein Proxy", 1 "UserSite" ... 5 "Transparent"; an
// index outside the group gives an empty text.
std::string ProxyModeName(int index);

// The password as printed: in clear when repeated exactly (letter case counts), else one "#"
// per character; an empty password prints nothing.
std::string PasswordPart(const std::string& password, const std::string& repeated);

// The page geometry in device units (integer division).
struct AccessPrintLayout {
  int LineHeight;  // (page width div 400) * 9
  int Left;        // page width div 10
  int Top;         // page height div 15
  int Bottom;      // 14 * Top: a line position below it starts a new page
};
AccessPrintLayout ComputeAccessPrintLayout(int pageWidth, int pageHeight);

// The eleven lines of one copy, the second empty.
std::vector<std::string> AccessDataLines(const AccessDataFields& fields,
                                         const RepeatedPasswords& typed);

// PrintAccessData(copies): while an earlier job runs, the information box and nothing else;
// otherwise askPasswords shows TDruDlg (empty result: the dialog was not closed with OK, and
// nothing is printed) and the copies are printed in one job, each on a page of its own, in
// the tool window's font at 9 points.
void PrintAccessData(PrintCanvas& canvas, Dialogs& dialogs, const FontDesc& windowFont, int copies,
                     const AccessDataFields& fields,
                     const std::function<std::optional<RepeatedPasswords>()>& askPasswords);
