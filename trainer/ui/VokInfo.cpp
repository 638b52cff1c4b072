#include "VokInfo.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QWidget* CreditPage(const QString& text) {
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  label->setMargin(10);
  return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutBox");
  setWindowTitle("Info");
  setFixedSize(560, 320);
  auto* product = new QLabel("<b>Tirelo V - Vokabeltrainerin Französisch</b>", this);
  product->setObjectName("ProductName");
  auto* version = new QLabel("Tirelo V     Version 1.0", this);
  version->setObjectName("Version");

  auto* pages = new QTabWidget(this);
  pages->setObjectName("PageControl1");
  pages->addTab(CreditPage("Tirelo V hilft deutschsprachigen Lernenden, französische Vokabeln "
                           "in drei Lernkarteien zu üben, zu prüfen und auszudrucken. Mit dem "
                           "FTP-Werkzeug Ladeko werden Vokabeldateien auf einem Server geöffnet "
                           "und gespeichert."),
                "Allgemeines");
  pages->addTab(CreditPage("Layout und Programmierung: das Tirelo-Team bei Ombrax."),
                "Layout und Programmierung");
  pages->addTab(CreditPage("Vokabelvorbereitung: Lehrerinnen und Lehrer, die ihre Wortlisten "
                           "für den Unterricht zur Verfügung gestellt haben."),
                "Vokabelvorbereitung");
  pages->addTab(CreditPage("Korrektur: alle, die Fehler in Vokabeln und Programm gemeldet haben. "
                           "Vielen Dank!"),
                "Korrektur");

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setText("OK");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(product);
  layout->addWidget(version);
  layout->addWidget(pages, 1);
  layout->addWidget(buttons);
}
