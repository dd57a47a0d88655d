// tlPromptLog's dialog. Only ever built on the thread of a running QApplication.
#include "log_options_dialog.h"

#include "ntlog/ntlog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QThread>
#include <QVBoxLayout>

#include <cstdlib>
#include <cstring>

namespace ntlog {

namespace {

struct KindBox
{
  std::uint32_t kind;
  const char* label;
  const char* objectName;
};

constexpr KindBox kBoxes[] = {
    {TL_ABORT, "Aborts", "abort"},
    {TL_SEV1, "Severity 1 failures", "sev1"},
    {TL_SEV2, "Severity 2 failures", "sev2"},
    {TL_SEV3, "Severity 3 failures", "sev3"},
    {TL_WARN, "Warnings", "warn"},
    {TL_PASS, "Passes", "pass"},
    {TL_INFO, "Information", "info"},
};

bool Unattended()
{
  const char* value = std::getenv("HALVEX_UNATTENDED");
  return value && std::strcmp(value, "1") == 0;
}

} // namespace

LogOptionsDialog::LogOptionsDialog(std::uint32_t levelMask, QWidget* parent)
    : QDialog(parent), m_initialMask(levelMask)
{
  setWindowTitle(QStringLiteral("NTLog options"));
  setObjectName(QStringLiteral("NTLogOptionsDialog"));
  auto* layout = new QVBoxLayout(this);
  for (const KindBox& row : kBoxes) {
    auto* box = new QCheckBox(QString::fromLatin1(row.label), this);
    box->setObjectName(QString::fromLatin1(row.objectName));
    box->setChecked(levelMask & row.kind);
    layout->addWidget(box);
    m_boxes.emplace_back(box, row.kind);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

std::uint32_t LogOptionsDialog::LevelMask() const
{
  std::uint32_t mask = m_initialMask;
  for (const auto& [box, kind] : m_boxes) {
    mask = box->isChecked() ? (mask | kind) : (mask & ~kind);
  }
  return mask;
}

bool PromptForLevelMask(void* parentWindow, std::uint32_t& levelMask)
{
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (!app || Unattended() || QThread::currentThread() != app->thread()) {
    return false;
  }
  LogOptionsDialog dialog(levelMask, static_cast<QWidget*>(parentWindow));
  if (dialog.exec() != QDialog::Accepted) {
    return false;
  }
  levelMask = dialog.LevelMask();
  return true;
}

} // namespace ntlog
