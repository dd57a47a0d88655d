// The find bar under the text (Ctrl+F): text, previous, next, match case.
#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;

namespace parlo {

class FindBar : public QWidget
{
  Q_OBJECT
public:
  explicit FindBar(QWidget* parent = nullptr);

  void Activate();
  QString Text() const;
  void SetText(const QString& text);
  bool MatchCase() const;
  void SetMatchCase(bool matchCase);

signals:
  void findRequested(const QString& text, bool backward, bool matchCase);

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  QLineEdit* m_pText = nullptr;
  QCheckBox* m_pCase = nullptr;
};

} // namespace parlo
