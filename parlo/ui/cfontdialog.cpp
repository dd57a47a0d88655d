// A font chooser without its own buttons, a colour list like the classic effects box, OK/Cancel.
#include "cfontdialog.h"

#include "ctheview.h"
#include "stringtable.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QVBoxLayout>

#include <array>
#include <cmath>

namespace parlo {
namespace {

struct NamedColour
{
  const char* name;
  unsigned rgb;
};

constexpr std::array<NamedColour, 16> kColours = {{
    {"Black", 0x000000},
    {"Maroon", 0x800000},
    {"Green", 0x008000},
    {"Olive", 0x808000},
    {"Navy", 0x000080},
    {"Purple", 0x800080},
    {"Teal", 0x008080},
    {"Grey", 0x808080},
    {"Silver", 0xC0C0C0},
    {"Red", 0xFF0000},
    {"Lime", 0x00FF00},
    {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},
    {"Fuchsia", 0xFF00FF},
    {"Aqua", 0x00FFFF},
    {"White", 0xFFFFFF},
}};

} // namespace

CFontDialog::CFontDialog(const CharFormat& initial, int pixelsPerInch, QWidget* parent)
    : QDialog(parent), m_nPixelsPerInch(pixelsPerInch > 0 ? pixelsPerInch : 96)
{
  setWindowTitle(LoadString(ID_FONT).remove(QLatin1Char('&')).remove(QLatin1String("...")));
  m_pFonts = new QFontDialog(this);
  m_pFonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
  m_pFonts->setWindowFlags(Qt::Widget);
  m_pColour = new QComboBox(this);
  m_pColour->addItem(LoadString(IDS_COLOUR_AUTOMATIC));
  for (const NamedColour& colour : kColours) {
    QPixmap swatch(12, 12);
    swatch.fill(QColor::fromRgb(colour.rgb));
    m_pColour->addItem(QIcon(swatch), QString::fromLatin1(colour.name), colour.rgb);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* colourRow = new QFormLayout;
  colourRow->addRow(LoadString(IDS_FONT_COLOUR), m_pColour);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pFonts);
  layout->addLayout(colourRow);
  layout->addWidget(buttons);

  // In: twips to the screen's logical height and back to the whole points the dialog shows.
  QFont font = CTheView::FontFromFormat(initial);
  const int logicalHeight = LogicalHeightFromTwips(initial.heightTwips, m_nPixelsPerInch);
  font.setPointSize(std::max(1, PointSizeFromLogicalHeight(logicalHeight, m_nPixelsPerInch)));
  SelectFont(font);
  SelectColour(initial.colour);
}

void CFontDialog::SelectFont(const QFont& font)
{
  m_pFonts->setCurrentFont(font);
}

void CFontDialog::SelectColour(std::optional<unsigned> colour)
{
  int index = 0;
  if (colour) {
    index = m_pColour->findData(*colour);
    if (index < 0) {
      m_pColour->addItem(QStringLiteral("#%1").arg(*colour, 6, 16, QLatin1Char('0')), *colour);
      index = m_pColour->count() - 1;
    }
  }
  m_pColour->setCurrentIndex(index);
}

CharFormat CFontDialog::Format() const
{
  const QFont font = m_pFonts->currentFont();
  CharFormat format;
  format.faceName = font.family();
  // Out: the size in tenths of a point times 2 gives twips.
  const double points =
      font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / m_nPixelsPerInch;
  format.heightTwips = TwipsFromTenthPoints(static_cast<int>(std::lround(points * 10)));
  format.bold = font.weight() >= QFont::Bold;
  format.italic = font.italic();
  format.underline = font.underline();
  format.strikeOut = font.strikeOut();
  const QVariant colour = m_pColour->currentData();
  if (colour.isValid())
    format.colour = colour.toUInt();
  return format;
}

} // namespace parlo
