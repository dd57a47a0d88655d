// Enter finds the next match, Shift+Enter the previous one, Escape hides the bar.
#include "findbar.h"

#include "stringtable.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace parlo {

FindBar::FindBar(QWidget* parent) : QWidget(parent)
{
  m_pText = new QLineEdit(this);
  m_pText->setClearButtonEnabled(true);
  auto* previous = new QPushButton(LoadString(IDS_FIND_PREVIOUS), this);
  auto* next = new QPushButton(LoadString(IDS_FIND_NEXT), this);
  m_pCase = new QCheckBox(LoadString(IDS_FIND_CASE), this);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 2, 4, 2);
  layout->addWidget(m_pText, 1);
  layout->addWidget(previous);
  layout->addWidget(next);
  layout->addWidget(m_pCase);
  connect(previous, &QPushButton::clicked, this,
          [this] { emit findRequested(Text(), true, MatchCase()); });
  connect(next, &QPushButton::clicked, this,
          [this] { emit findRequested(Text(), false, MatchCase()); });
  connect(m_pText, &QLineEdit::returnPressed, this,
          [this] { emit findRequested(Text(), false, MatchCase()); });
}

void FindBar::Activate()
{
  show();
  m_pText->setFocus();
  m_pText->selectAll();
}

QString FindBar::Text() const
{
  return m_pText->text();
}

void FindBar::SetText(const QString& text)
{
  m_pText->setText(text);
}

bool FindBar::MatchCase() const
{
  return m_pCase->isChecked();
}

void FindBar::SetMatchCase(bool matchCase)
{
  m_pCase->setChecked(matchCase);
}

void FindBar::keyPressEvent(QKeyEvent* event)
{
  if (event->key() == Qt::Key_Escape) {
    hide();
    return;
  }
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      (event->modifiers() & Qt::ShiftModifier)) {
    emit findRequested(Text(), true, MatchCase());
    return;
  }
  QWidget::keyPressEvent(event);
}

} // namespace parlo
