#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>

#include "QtPrinter.h"
#include "QtText.h"
#include "ScriptedDialogs.h"
#include "TableFixtures.h"
#include "vokPrint.h"

namespace {

// Passes every call on to the Qt printer and counts the pages the list asks for.
struct PageCounter : PrintCanvas {
  explicit PageCounter(PrintCanvas& c) : inner(c) {}
  PrintCanvas& inner;
  int pages = 0;
  bool JobRunning() const override { return inner.JobRunning(); }
  bool BeginJob(const std::string& t) override { return inner.BeginJob(t) && (pages = 1); }
  void NewPage() override { ++pages; inner.NewPage(); }
  void EndJob() override { inner.EndJob(); }
  int PageWidth() const override { return inner.PageWidth(); }
  int PageHeight() const override { return inner.PageHeight(); }
  void SetFont(const FontDesc& f) override { inner.SetFont(f); }
  int TextWidth(std::string_view s) const override { return inner.TextWidth(s); }
  int TextHeight(std::string_view s) const override { return inner.TextHeight(s); }
  void TextOut(int x, int y, std::string_view s) override { inner.TextOut(x, y, s); }
  void SetPen(Color c, int w) override { inner.SetPen(c, w); }
  void Line(int a, int b, int c, int d) override { inner.Line(a, b, c, d); }
  void FillRect(int l, int t, int r, int b, Color c) override { inner.FillRect(l, t, r, b, c); }
};

std::string ReadAll(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int CountPdfPages(const std::string& pdf) {
  int pages = 0;
  for (size_t at = pdf.find("/Type /Page"); at != std::string::npos;
       at = pdf.find("/Type /Page", at + 1)) {
    if (pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
  }
  return pages;
}

}  // namespace

TEST(QtPrinterTest, ListOfTwoHundredRowsBecomesAPdfWithTheLaidOutPages) {
  QTemporaryDir dir;
  ScriptedDialogs dialogs;
  QtPrinter printer(dialogs);
  const QString file = dir.filePath("liste.pdf");
  printer.SetPdfFile(PathFromQ(file));
  ASSERT_GT(printer.PageWidth(), 1000);  // device units of a high-resolution page
  FontDesc font;
  font.name = "DejaVu Sans";
  font.size = 12;
  printer.SetFont(font);
  EXPECT_GT(printer.TextHeight("X"), 0);
  EXPECT_GT(printer.TextWidth("WWWW"), printer.TextWidth("W"));

  VokTable t;
  std::vector<VokRow> rows;
  for (int r = 1; r <= 200; ++r)
    rows.push_back({"7A-" + std::to_string(r), A("l'école numéro ") + std::to_string(r),
                    r % 10 ? "Schule" : std::string(120, 'W')});
  FillTable(t, rows);
  PageCounter counter(printer);
  PrintTable(ListPrintSetup{counter, dialogs, font, "Vokabeln.evd"}, 1, t, PrintRows::All);

  EXPECT_FALSE(printer.JobRunning());
  EXPECT_TRUE(dialogs.messages.empty());
  const std::string pdf = ReadAll(file);
  ASSERT_EQ(pdf.rfind("%PDF", 0), 0u);
  EXPECT_GE(counter.pages, 2);
  EXPECT_EQ(CountPdfPages(pdf), counter.pages);
}

TEST(QtPrinterTest, WithoutAChosenPdfFileNoJobBegins) {
  ScriptedDialogs dialogs;  // the file dialog is cancelled
  QtPrinter printer(dialogs);
  if (QtPrinter::HasSystemPrinter()) GTEST_SKIP() << "a system printer is installed";
  EXPECT_FALSE(printer.BeginJob("Vokabeln.evd"));
  EXPECT_FALSE(printer.JobRunning());
  ASSERT_EQ(dialogs.saveRequests.size(), 1u);
  EXPECT_EQ(dialogs.saveRequests[0].fileName, "Vokabeln.pdf");
}

namespace {

void PrintOneRow(QtPrinter& printer, ScriptedDialogs& dialogs, const std::string& title) {
  VokTable t;
  FillTable(t, {{"", "la maison", "das Haus"}});
  PrintTable(ListPrintSetup{printer, dialogs, FontDesc{}, title}, 1, t, PrintRows::All);
}

}  // namespace

// The document's name is a full path: the job is named by its last part only, and a file
// chosen for one print (here as the print dialog leaves it) is never written by the next.
TEST(QtPrinterTest, EveryPrintToAFileAsksForAFreshFile) {
  QTemporaryDir dir;
  ScriptedDialogs dialogs;
  QtPrinter printer(dialogs);
  const std::string document = PathFromQ(dir.filePath("lektion7.evd")).string();
  const QString chosen = dir.filePath("lektion7.pdf");
  printer.Printer().setOutputFormat(QPrinter::PdfFormat);
  printer.Printer().setOutputFileName(chosen);
  PrintOneRow(printer, dialogs, document);
  EXPECT_EQ(printer.Printer().docName(), "lektion7.evd");
  ASSERT_EQ(ReadAll(chosen).rfind("%PDF", 0), 0u);
  EXPECT_TRUE(dialogs.saveRequests.empty());
  const std::string firstPdf = ReadAll(chosen);

  // The next print asks, proposing a name not taken yet in the same folder.
  dialogs.fileAnswers.push_back(std::nullopt);
  PrintOneRow(printer, dialogs, document);
  ASSERT_EQ(dialogs.saveRequests.size(), 1u);
  EXPECT_EQ(dialogs.saveRequests[0].fileName, "lektion7 (2).pdf");
  EXPECT_EQ(QDir(PathToQ(dialogs.saveRequests[0].initialDir)), QDir(dir.path()));
  EXPECT_TRUE(dialogs.saveRequests[0].confirmOverwrite);
  EXPECT_EQ(ReadAll(chosen), firstPdf);
  EXPECT_EQ(printer.ProposedPdfFile(), PathFromQ(dir.filePath("lektion7 (2).pdf")));

  // A file chosen in that dialog is used once, then asked for again.
  dialogs.fileAnswers.push_back(FileChoice{PathFromQ(dir.filePath("zweite.pdf")), 1});
  PrintOneRow(printer, dialogs, document);
  EXPECT_EQ(ReadAll(dir.filePath("zweite.pdf")).rfind("%PDF", 0), 0u);
  PrintOneRow(printer, dialogs, document);
  EXPECT_EQ(dialogs.saveRequests.size(), 3u);
}
