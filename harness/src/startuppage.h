// One page of the start-up box: a text from the resource library, and on the instructions
// page the check box that keeps the box from showing at start-up.
#pragma once

#include <QWidget>

class QCheckBox;
class QTextBrowser;

namespace harness {

class CStartupPage : public QWidget
{
  Q_OBJECT

public:
  // checkBoxText empty: a page of text only.
  CStartupPage(const QString& name, const QString& html, const QString& checkBoxText,
               QWidget* parent = nullptr);

  QTextBrowser* Text() const { return m_pText; }
  // Null on a page of text only.
  QCheckBox* CheckBox() const { return m_pCheckBox; }

private:
  QTextBrowser* m_pText;
  QCheckBox* m_pCheckBox = nullptr;
};

} // namespace harness
