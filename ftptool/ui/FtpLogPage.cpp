#include "FtpLogPage.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "FTP1.h"
#include "QtText.h"
#include "Win1252.h"

namespace {

// A status panel that asks for its width but gives way when the window is made smaller, so
// the panels never hold the window wider than the user sizes it.
class StatusPanel : public QLabel {
 public:
  explicit StatusPanel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  }
  void SetWantedWidth(int width) {
    wanted_ = width;
    setMaximumWidth(width);
    updateGeometry();
  }
  QSize sizeHint() const override { return {wanted_, QLabel::sizeHint().height()}; }
  QSize minimumSizeHint() const override { return {40, QLabel::minimumSizeHint().height()}; }

 private:
  int wanted_ = 40;
};

// A text cut byte by byte may end inside a character: that part is dropped.
QString WholeUtf8(const std::string& text) {
  std::size_t lead = text.size();
  while (lead > 0 && text.size() - lead < 4 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80)
    --lead;
  if (lead == 0) return QString::fromStdString(text);
  const auto first = static_cast<unsigned char>(text[lead - 1]);
  const std::size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
  const bool complete = lead - 1 + length <= text.size();
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(complete ? text.size() : lead - 1));
}

}  // namespace

FtpLogPage::FtpLogPage(TFTPForm1& form, QWidget* page) : form_(form) {
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* bar = new QToolBar(page);
  bar->setObjectName("ToolBar2");
  auto* clear = new QToolButton(bar);
  clear->setObjectName("ToolButton1");
  clear->setToolTip(QString::fromUtf8("Protokoll löschen"));
  clear->setText("X");
  clear->setAutoRaise(true);
  bar->addWidget(clear);
  QObject::connect(clear, &QToolButton::clicked, page, [this] { ToolButton1Click(); });
  auto* heading = new QLabel("   Eintragungen", page);
  heading->setObjectName("Panel2");
  heading->setFrameShape(QFrame::StyledPanel);
  memo_ = new QPlainTextEdit(page);
  memo_->setObjectName("DebugListMemo");
  memo_->setReadOnly(true);
  memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo_->setUndoRedoEnabled(false);
  memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  layout->addWidget(bar);
  layout->addWidget(heading);
  layout->addWidget(memo_, 1);
  for (QWidget* w : {static_cast<QWidget*>(bar), static_cast<QWidget*>(clear),
                     static_cast<QWidget*>(memo_), memo_->viewport()})
    form_.WatchHelpContext(w, 330);
}

QStatusBar* FtpLogPage::BuildStatusBar() {
  bar_ = new QStatusBar;
  bar_->setObjectName("StatusBar1");
  bar_->setSizeGripEnabled(true);
  const int widths[] = {330, 75, 200};
  for (int i = 0; i < 3; ++i) {
    auto* panel = new StatusPanel(bar_);
    panel->SetWantedWidth(widths[i]);
    panels_[i] = panel;
    panels_[i]->setObjectName(QString("Panel%1").arg(i));
    panels_[i]->setFrameShape(QFrame::StyledPanel);
    panels_[i]->setFrameShadow(QFrame::Sunken);
    bar_->addWidget(panels_[i], i == 2 ? 1 : 0);
  }
  panels_[2]->setMaximumWidth(QWIDGETSIZE_MAX);
  return bar_;
}

void FtpLogPage::LayoutStatusBar(int windowWidth) {
  static_cast<StatusPanel*>(panels_[0])->SetWantedWidth(std::max(40, (windowWidth - 640) / 2 + 330));
}

int FtpLogPage::PanelWidth(int panel) const { return panels_.at(panel)->width(); }

// Only a panel on the screen has the width it shows.
bool FtpLogPage::CutsPlainText(int panel) const { return panels_.at(panel)->isVisible(); }

int FtpLogPage::TextWidth(const std::string& text) const {
  return bar_->fontMetrics().horizontalAdvance(utf8Panel_ ? QString::fromStdString(text) : ToQ(text));
}

void FtpLogPage::SetPanelText(int panel, const std::string& text) {
  panels_.at(panel)->setText(utf8Panel_ ? WholeUtf8(text) : ToQ(text));
  // Seen at once, also while a long action goes on.
  panels_.at(panel)->repaint();
}

void FtpLogPage::ShowFtpStatus(int panel, const std::string& text) {
  ShowFtpStatusUtf8(panel, win1252::ToUtf8(text));
}

// The panel is cut to its width less 40 pixels; the message of panel 2 that lost its end is
// kept whole in the log book and the panel's tip.
void FtpLogPage::ShowFtpStatusUtf8(int panel, const std::string& text) {
  if (panel < 0 || panel > 2) return;
  utf8Panel_ = true;
  ShowStatus(*this, panel, text);
  utf8Panel_ = false;
  if (panel != 2) return;
  const bool cut = panels_[2]->text() != QString::fromStdString(text);
  panels_[2]->setToolTip(cut ? QString::fromStdString(text) : QString());
  if (cut) AddTrimmedLogLineUtf8(text);
}

QString FtpLogPage::StatusText(int panel) const {
  const QString whole = panel == 2 ? panels_[2]->toolTip() : QString();
  return whole.isEmpty() ? panels_.at(panel)->text() : whole;
}

void FtpLogPage::SetPanelDirect(int panel, const std::string& text) { SetPanelText(panel, text); }

void FtpLogPage::ClearFtpStatus(int first, int last) {
  for (int i = std::max(first, 0); i <= std::min(last, 2); ++i) SetPanelText(i, "");
}

// One line is one block: line breaks inside an entry are shown as blanks.
void FtpLogPage::Append(const std::string& utf8Line) {
  QString text = QString::fromStdString(utf8Line);
  text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
  memo_->appendPlainText(text);
}

void FtpLogPage::DropFirstBlocks(std::size_t count) {
  if (count == 0) return;
  QTextCursor cursor(memo_->document()->begin());
  cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, static_cast<int>(count));
  cursor.removeSelectedText();
}

void FtpLogPage::AddLogLine(const std::string& line) { AddLogLineUtf8(win1252::ToUtf8(line)); }

void FtpLogPage::AddTrimmedLogLine(const std::string& line) { AddTrimmedLogLineUtf8(win1252::ToUtf8(line)); }

void FtpLogPage::AddLogLineUtf8(const std::string& line) {
  book_.Add(line);
  Append(line);
}

void FtpLogPage::AddTrimmedLogLineUtf8(const std::string& line) {
  book_.Add(line);
  Append(line);
  const std::size_t excess = book_.Excess();
  book_.DropFirst(excess);
  DropFirstBlocks(excess);
}

void FtpLogPage::ToolButton1Click() {
  book_.Clear();
  memo_->clear();
}

// The caret at the start of the last line: the end of a long line would scroll the view
// sideways and hide the start of every line.
void FtpLogPage::ScrollToEnd() {
  memo_->moveCursor(QTextCursor::End);
  memo_->moveCursor(QTextCursor::StartOfBlock);
  memo_->ensureCursorVisible();
  memo_->horizontalScrollBar()->setValue(0);
}

void FtpLogPage::CopyToClipboard() {
  memo_->selectAll();
  memo_->copy();
  memo_->moveCursor(QTextCursor::End);
}
