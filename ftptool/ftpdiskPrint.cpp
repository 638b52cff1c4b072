#include "ftpdiskPrint.h"

#include <iterator>
#include <vector>

#include "Clock.h"

namespace {

// The file name without its folder, whichever separator the name was written with.
std::string WithoutFolder(const std::string& path) {
  const size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

// PrintLine over a canvas: text at the current position, then one line down; a position below
// the bottom limit continues at the top of a new page.
class AccessPrinter {
 public:
  AccessPrinter(PrintCanvas& canvas, const AccessPrintLayout& m) : canvas_(canvas), m_(m) {}

  void StartCopy() { y_ = m_.Top; }

  void PrintLine(const std::string& text) {
    if (!text.empty()) canvas_.TextOut(m_.Left, y_, text);
    y_ += m_.LineHeight;
    if (y_ > m_.Bottom) {
      canvas_.NewPage();
      y_ = m_.Top;
    }
  }

 private:
  PrintCanvas& canvas_;
  const AccessPrintLayout& m_;
  int y_ = 0;
};

}  // namespace

std::string ProxyModeName(int index) {
  static const char* const kNames[] = {"kein Proxy", "UserSite", "Site",
                                       "Open",       "UserPass", "Transparent"};
  if (index < 0 || index >= static_cast<int>(std::size(kNames))) return "";
  return kNames[index];
}

std::string PasswordPart(const std::string& password, const std::string& repeated) {
  return repeated == password ? password : std::string(password.size(), '#');
}

AccessPrintLayout ComputeAccessPrintLayout(int pageWidth, int pageHeight) {
  AccessPrintLayout m{};
  m.LineHeight = pageWidth / 400 * 9;
  m.Left = pageWidth / 10;
  m.Top = pageHeight / 15;
  m.Bottom = 14 * m.Top;
  return m;
}

std::vector<std::string> AccessDataLines(const AccessDataFields& fields,
                                         const RepeatedPasswords& typed) {
  const FtpLoginValues& f = fields.Login;
  return {
      "Ausdruck der Datei " + WithoutFolder(fields.FileName) + " vom " + timebase::FormatDate(fields.Today),
      "",
      "Host: " + f.Host,
      "Port: " + f.Port,
      "User: " + f.User,
      "Passwort: " + PasswordPart(f.Password, typed.Password),
      "Proxy-Einstellungen: " + ProxyModeName(f.ProxyMode),
      "Proxy-Host: " + f.ProxyHost,
      "Proxy-Port: " + f.ProxyPort,
      "Proxy-User: " + f.ProxyUser,
      "Proxy-Passwort: " + PasswordPart(f.ProxyPassword, typed.ProxyPassword),
  };
}

void PrintAccessData(PrintCanvas& canvas, Dialogs& dialogs, const FontDesc& windowFont, int copies,
                     const AccessDataFields& fields,
                     const std::function<std::optional<RepeatedPasswords>()>& askPasswords) {
  if (canvas.JobRunning()) {
    dialogs.Message("Information", kAccessPrintBusy, MsgButtons::Ok, MsgIcon::Information);
    return;
  }
  const std::optional<RepeatedPasswords> typed = askPasswords();
  if (!typed) return;

  FontDesc font = windowFont;
  font.size = 9;
  font.height = -12;  // 9 points on a 96-dpi screen
  canvas.SetFont(font);
  const AccessPrintLayout m = ComputeAccessPrintLayout(canvas.PageWidth(), canvas.PageHeight());
  const std::vector<std::string> lines = AccessDataLines(fields, *typed);

  if (!canvas.BeginJob(fields.FileName)) return;
  AccessPrinter printer(canvas, m);
  for (int copy = 1; copy <= copies; ++copy) {
    printer.StartCopy();
    for (const std::string& line : lines) printer.PrintLine(line);
    if (copy < copies) canvas.NewPage();
  }
  canvas.EndJob();
}
