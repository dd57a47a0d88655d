// The Font command's dialog: face, size, effects and colour of the default format.
#pragma once

#include "fontarithmetic.h"

#include <QDialog>

class QComboBox;
class QFontDialog;

namespace parlo {

// Sizes pass through the screen's logical font height on the way in and out, as the
// arithmetic in fontarithmetic.h describes. Only screen fonts are offered.
class CFontDialog : public QDialog
{
  Q_OBJECT
public:
  CFontDialog(const CharFormat& initial, int pixelsPerInch, QWidget* parent = nullptr);

  // The format chosen, in twips; meaningful after OK.
  CharFormat Format() const;
  // Lets tests make a choice without mouse work.
  void SelectFont(const QFont& font);
  void SelectColour(std::optional<unsigned> colour);

private:
  QFontDialog* m_pFonts = nullptr;
  QComboBox* m_pColour = nullptr;
  int m_nPixelsPerInch = 96;
};

} // namespace parlo
