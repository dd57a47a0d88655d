// A model sheet page holding one text.
#include "skeleton/modelnextpage.h"

#include <QLabel>
#include <QVBoxLayout>

CModelNextPage::CModelNextPage(QWidget* parent)
    : CModelNextPage(kModelNextPageTitle, kModelNextPageText, parent)
{
}

CModelNextPage::CModelNextPage(const std::string& title, const std::string& text, QWidget* parent)
    : QWidget(parent)
{
  setObjectName(QStringLiteral("CModelNextPage"));
  setWindowTitle(QString::fromStdString(title));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QString::fromStdString(text), this));
  layout->addStretch();
}
