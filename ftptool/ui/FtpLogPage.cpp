#include "FtpLogPage.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "FTP1.h"
#include "QtText.h"

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

// The last panel reaches to the window's edge: the messages in it stay whole.
bool FtpLogPage::CutsPlainText(int panel) const { return panel < 2 && panels_.at(panel)->isVisible(); }

int FtpLogPage::TextWidth(const std::string& text) const {
  return bar_->fontMetrics().horizontalAdvance(ToQ(text));
}

void FtpLogPage::SetPanelText(int panel, const std::string& text) {
  panels_.at(panel)->setText(ToQ(text));
  // Seen at once, also while a long action goes on.
  panels_.at(panel)->repaint();
}

void FtpLogPage::ShowFtpStatus(int panel, const std::string& text) {
  if (panel < 0 || panel > 2) return;
  ShowStatus(*this, panel, text);
}

void FtpLogPage::SetPanelDirect(int panel, const std::string& text) { SetPanelText(panel, text); }

void FtpLogPage::ClearFtpStatus(int first, int last) {
  for (int i = std::max(first, 0); i <= std::min(last, 2); ++i) SetPanelText(i, "");
}

// One line is one block: line breaks inside an entry are shown as blanks.
void FtpLogPage::Append(const std::string& line) {
  QString text = ToQ(line);
  text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
  memo_->appendPlainText(text);
}

void FtpLogPage::DropFirstBlocks(std::size_t count) {
  if (count == 0) return;
  QTextCursor cursor(memo_->document()->begin());
  cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, static_cast<int>(count));
  cursor.removeSelectedText();
}

void FtpLogPage::AddLogLine(const std::string& line) {
  book_.Add(line);
  Append(line);
}

void FtpLogPage::AddTrimmedLogLine(const std::string& line) {
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

void FtpLogPage::ScrollToEnd() {
  memo_->moveCursor(QTextCursor::End);
  memo_->ensureCursorVisible();
}

void FtpLogPage::CopyToClipboard() {
  memo_->selectAll();
  memo_->copy();
  memo_->moveCursor(QTextCursor::End);
}
