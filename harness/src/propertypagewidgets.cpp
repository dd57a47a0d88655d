// The property pages' shared builders.
#include "propertypagewidgets.h"

#include "harness/stringtable.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace harness {

QString UiText(const StringTable& strings, int id)
{
  return QString::fromStdString(strings.Get(id));
}

QString ControlName(int control)
{
  return QString::number(control);
}

QHBoxLayout* PathRow(QWidget* parent, int edit, int limit, int button, const QString& buttonText,
                     const QString& defaultText, QLineEdit*& editOut)
{
  auto* row = new QHBoxLayout;
  editOut = new QLineEdit(parent);
  editOut->setObjectName(ControlName(edit));
  if (limit > 0)
    editOut->setMaxLength(limit);
  auto* defaultButton = new QPushButton(buttonText, parent);
  defaultButton->setObjectName(ControlName(button));
  defaultButton->setAutoDefault(false);
  QLineEdit* target = editOut;
  QObject::connect(defaultButton, &QPushButton::clicked, target,
                   [target, defaultText] { target->setText(defaultText); });
  row->addWidget(editOut, 1);
  row->addWidget(defaultButton);
  return row;
}

QGroupBox* RadioGroup(QWidget* parent, int group, const QString& title, const QStringList& labels,
                      QButtonGroup*& buttonsOut)
{
  auto* box = new QGroupBox(title, parent);
  box->setObjectName(ControlName(group));
  auto* layout = new QVBoxLayout(box);
  buttonsOut = new QButtonGroup(box);
  for (int i = 0; i < labels.size(); ++i) {
    auto* radio = new QRadioButton(labels[i], box);
    radio->setObjectName(QStringLiteral("%1.%2").arg(group).arg(i));
    buttonsOut->addButton(radio, i);
    layout->addWidget(radio);
  }
  return box;
}

void LayOutWithOkCancel(QDialog* dialog, QWidget* content)
{
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(dialog);
  layout->addWidget(content);
  layout->addWidget(buttons);
}

int CheckedIndex(const QButtonGroup* buttons)
{
  const int id = buttons->checkedId();
  return id < 0 ? 0 : id;
}

void CheckIndex(QButtonGroup* buttons, int index)
{
  QAbstractButton* button = buttons->button(index);
  if (button == nullptr)
    button = buttons->button(0);
  if (button != nullptr)
    button->setChecked(true);
}

} // namespace harness
