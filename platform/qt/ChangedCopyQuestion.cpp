#include "ChangedCopyQuestion.h"

#include <QMessageBox>
#include <QPushButton>

#include "QtText.h"

ChangedCopyChoice AskChangedCopy(QWidget* parent, const std::string& text) {
  QMessageBox box(QMessageBox::Warning, "Tirelo V", ToQ(text), QMessageBox::NoButton, parent);
  box.setObjectName("ChangedCopyQuestion");
  box.setTextFormat(Qt::PlainText);  // a file name is never markup
  QPushButton* overwrite = box.addButton(QString::fromUtf8("Überschreiben"), QMessageBox::DestructiveRole);
  QPushButton* copy = box.addButton("Als Kopie speichern", QMessageBox::AcceptRole);
  QPushButton* cancel = box.addButton("Abbrechen", QMessageBox::RejectRole);
  overwrite->setObjectName("Ueberschreiben");
  copy->setObjectName("AlsKopieSpeichern");
  cancel->setObjectName("Abbrechen");
  // Enter alone loses nobody's words.
  box.setDefaultButton(copy);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == overwrite) return ChangedCopyChoice::Overwrite;
  if (box.clickedButton() == copy) return ChangedCopyChoice::SaveCopy;
  return ChangedCopyChoice::Cancel;
}
