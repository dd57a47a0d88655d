// The "Basic Capture Functionality Test" dialog: the parameters of the basic capture test.
// User-interface thread only.
#pragma once

#include "kestrel/basiccapturerun.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QSlider;

namespace kestrel {

// Limits of the dialog's fields.
inline constexpr int kFourccLength = 4;
inline constexpr int kMinWidth = 320;
inline constexpr int kMaxWidth = 720;
inline constexpr int kVendorLength = 128;
inline constexpr int kStandardLength = 16;
// The slider's range, "Less" to "More".
inline constexpr int kDiagnosticsMin = 0;
inline constexpr int kDiagnosticsMax = 100;

class CBasicFunctionalityDialog : public QDialog
{
public:
  explicit CBasicFunctionalityDialog(const BasicCaptureSettings& values, QWidget* parent = nullptr);

  // The values as edited; the width only counts once Accept is enabled (320 to 720).
  BasicCaptureSettings Values() const;

private:
  void UpdateAccept();

  QLineEdit* m_pFourcc;
  QLineEdit* m_pWidth;
  QLineEdit* m_pVendor;
  QLineEdit* m_pStandard;
  QSlider* m_pDiagnostics;
  QPushButton* m_pAccept;
};

} // namespace kestrel
