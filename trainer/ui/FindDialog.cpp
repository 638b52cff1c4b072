#include "FindDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "QtText.h"

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("FindDialog1");
  setWindowTitle("Suchen");
  setModal(false);
  textEdit_ = new QLineEdit(this);
  textEdit_->setObjectName("FindText");
  wholeWord_ = new QCheckBox("Nur ganzes &Wort", this);
  matchCase_ = new QCheckBox("Groß-/&Kleinschreibung", this);
  auto* direction = new QGroupBox("Richtung", this);
  up_ = new QRadioButton("Nach &oben", direction);
  down_ = new QRadioButton("Nach &unten", direction);
  down_->setChecked(true);
  auto* directionLayout = new QHBoxLayout(direction);
  directionLayout->addWidget(up_);
  directionLayout->addWidget(down_);

  auto* next = new QPushButton("&Weitersuchen", this);
  next->setObjectName("FindNextBtn");
  next->setDefault(true);
  auto* cancel = new QPushButton("Abbrechen", this);
  connect(next, &QPushButton::clicked, this, &TFindDialog::findNext);
  connect(cancel, &QPushButton::clicked, this, &QDialog::hide);

  auto* grid = new QGridLayout(this);
  // The label's "&" marks its shortcut into the text field; without a buddy it would be
  // shown as it is.
  auto* label = new QLabel("Suchen &nach:", this);
  label->setBuddy(textEdit_);
  grid->addWidget(label, 0, 0);
  grid->addWidget(textEdit_, 0, 1);
  grid->addWidget(next, 0, 2);
  grid->addWidget(wholeWord_, 1, 0, 1, 2);
  grid->addWidget(cancel, 1, 2);
  grid->addWidget(matchCase_, 2, 0);
  grid->addWidget(direction, 2, 1);
}

FindOptions TFindDialog::Options() const {
  return {FromQ(textEdit_->text()), down_->isChecked(), wholeWord_->isChecked(),
          matchCase_->isChecked()};
}

void TFindDialog::SetText(const QString& text) { textEdit_->setText(text); }
