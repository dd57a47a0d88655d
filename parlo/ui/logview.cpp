// Painting, caret and selection, keys and mouse, search and clipboard of the log view.
#include "logview.h"

#include "ctheview.h"
#include "logtext.h"
#include "stringtable.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace parlo {
namespace {

constexpr int kCaretWidth = 2;

QString Megabytes(qint64 bytes)
{
  return QString::number((bytes + 1024 * 1024 - 1) / (1024 * 1024));
}

} // namespace

LogView::LogView(QWidget* parent) : QAbstractScrollArea(parent)
{
  setFocusPolicy(Qt::StrongFocus);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  viewport()->setCursor(Qt::IBeamCursor);
  m_layouts.SetFont(font());
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (m_bSyncingBars)
      return;
    m_nTop = m_rowScale.FromBar(value);
    viewport()->update();
  });
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (m_bSyncingBars)
      return;
    m_nLeft = m_pixelScale.FromBar(value);
    viewport()->update();
  });
}

LogView::~LogView()
{
  // The worker reports to this object: it must be gone first.
  m_search.Cancel();
}

void LogView::SetText(std::shared_ptr<LogText> text)
{
  m_search.Cancel();
  m_nPendingFind = 0;
  m_waitingMatch = {};
  m_pText = std::move(text);
  m_layouts.SetText(m_pText.get());
  m_nTop = m_nLeft = 0;
  m_nCaret = m_nAnchor = m_nCaretRow = 0;
  m_rColumnX = -1;
  m_rWidest = 0;
  UpdateScrollBars();
  viewport()->update();
}

void LogView::OnTextGrew()
{
  if (!m_pText)
    return;
  if (m_waitingMatch.Found() && m_waitingMatch.end <= End()) {
    const TextMatch match = std::exchange(m_waitingMatch, TextMatch{});
    m_nPendingFind = 0;
    SetSelection(match.start, match.end);
    emit findFinished(true);
  } else if (m_waitingMatch.Found() && End() >= m_pText->Target()) {
    // The file ended short of the match (it shrank): the index will not reach it.
    m_waitingMatch = {};
    m_nPendingFind = 0;
    emit findFinished(false);
  }
  UpdateScrollBars();
  viewport()->update();
}

void LogView::SetFormat(const CharFormat& format)
{
  const QFont font = CTheView::FontFromFormat(format);
  setFont(font);
  m_layouts.SetFont(font);
  QPalette colours = palette();
  colours.setColor(QPalette::Text, format.colour ? QColor::fromRgb(*format.colour)
                                                 : QPalette().color(QPalette::Text));
  setPalette(colours);
  m_nRowHeight = std::max(1, static_cast<int>(std::ceil(QFontMetricsF(font).lineSpacing())));
  m_rWidest = 0;
  UpdateScrollBars();
  viewport()->update();
}

qint64 LogView::Rows() const
{
  return m_pText ? m_pText->Rows() : 1;
}

qint64 LogView::End() const
{
  return m_pText ? m_pText->State().end : 0;
}

int LogView::FullRows() const
{
  return std::max(1, viewport()->height() / m_nRowHeight);
}

qint64 LogView::MaxTop() const
{
  return std::max<qint64>(0, Rows() - FullRows());
}

qreal LogView::ContentWidth() const
{
  const qint64 longest = m_pText ? m_pText->State().longestLine : 0;
  return std::max(m_rWidest, longest * m_layouts.CharWidth()) + m_layouts.CharWidth();
}

void LogView::UpdateScrollBars()
{
  // Setting a range may show or hide a bar and resize the viewport, which comes back here.
  const bool syncing = std::exchange(m_bSyncingBars, true);
  m_rowScale.SetMaximum(MaxTop());
  m_nTop = std::clamp<qint64>(m_nTop, 0, m_rowScale.Maximum());
  QScrollBar* rows = verticalScrollBar();
  rows->setRange(0, m_rowScale.BarMaximum());
  rows->setPageStep(FullRows());
  rows->setSingleStep(1);
  rows->setValue(m_rowScale.ToBar(m_nTop));
  m_pixelScale.SetMaximum(
      std::max<qint64>(0, static_cast<qint64>(std::ceil(ContentWidth())) - viewport()->width()));
  m_nLeft = std::clamp<qint64>(m_nLeft, 0, m_pixelScale.Maximum());
  QScrollBar* pixels = horizontalScrollBar();
  pixels->setRange(0, m_pixelScale.BarMaximum());
  pixels->setPageStep(viewport()->width());
  pixels->setSingleStep(static_cast<int>(std::ceil(m_layouts.CharWidth())));
  pixels->setValue(m_pixelScale.ToBar(m_nLeft));
  m_bSyncingBars = syncing;
}

void LogView::ScrollTo(qint64 top, qint64 left)
{
  m_nTop = top;
  m_nLeft = left;
  UpdateScrollBars();
  viewport()->update();
}

LineLayoutCache::Row& LogView::RowAt(qint64 row)
{
  return m_layouts.RowFor(m_pText->Row(row));
}

qreal LogView::CaretX()
{
  if (!m_pText)
    return 0;
  return m_layouts.PieceAt(RowAt(m_nCaretRow), m_nCaret).XOf(m_nCaret);
}

void LogView::EnsureCaretVisible()
{
  if (!m_pText)
    return;
  qint64 top = m_nTop;
  const int full = FullRows();
  if (m_nCaretRow < top)
    top = m_nCaretRow;
  else if (m_nCaretRow >= top + full)
    top = m_nCaretRow - full + 1;
  LineLayoutCache::Row& row = RowAt(m_nCaretRow);
  m_rWidest = std::max(m_rWidest, m_layouts.RowWidth(row));
  const qreal x = CaretX();
  const qreal margin = 4 * m_layouts.CharWidth();
  const int width = viewport()->width();
  qint64 left = m_nLeft;
  if (x < left)
    left = static_cast<qint64>(std::max<qreal>(0, x - margin));
  else if (x + kCaretWidth > left + width)
    left = static_cast<qint64>(std::ceil(x + kCaretWidth + margin - width));
  ScrollTo(top, left);
}

void LogView::SetSelection(qint64 anchor, qint64 caret)
{
  const qint64 end = End();
  m_nAnchor = std::clamp<qint64>(anchor, 0, end);
  m_nCaret = std::clamp<qint64>(caret, 0, end);
  m_nCaretRow = m_pText ? m_pText->RowOfOffset(m_nCaret) : 0;
  m_rColumnX = -1;
  EnsureCaretVisible();
  viewport()->update();
}

void LogView::SelectAll()
{
  SetSelection(0, End());
}

void LogView::CaretToEnd()
{
  SetSelection(End(), End());
}

bool LogView::CaretAtEnd() const
{
  return m_nCaret == End();
}

QRect LogView::CaretRect()
{
  const qint64 shown = viewport()->height() / m_nRowHeight + 1;
  if (m_nCaretRow < m_nTop || m_nCaretRow >= m_nTop + shown)
    return {};
  const qreal x = CaretX() - static_cast<qreal>(m_nLeft);
  return QRect(static_cast<int>(std::floor(x)),
               static_cast<int>((m_nCaretRow - m_nTop) * m_nRowHeight), kCaretWidth, m_nRowHeight);
}

QString LogView::SelectedText() const
{
  if (!m_pText || !HasSelection() || SelectionEnd() - SelectionStart() > kMaxCopyBytes)
    return {};
  return m_pText->Text(SelectionStart(), SelectionEnd());
}

bool LogView::Copy()
{
  if (!m_pText || !HasSelection())
    return true;
  const qint64 bytes = SelectionEnd() - SelectionStart();
  if (bytes > kMaxCopyBytes) {
    emit message(ResourceLibrary::Instance().Format(IDS_COPY_TOO_LARGE, Megabytes(bytes),
                                                    Megabytes(kMaxCopyBytes)));
    return false;
  }
  QGuiApplication::clipboard()->setText(SelectedText());
  return true;
}

qint64 LogView::OffsetInRow(qint64 row, qreal x)
{
  return m_layouts.OffsetAtX(RowAt(row), x);
}

qint64 LogView::OffsetAt(const QPoint& point)
{
  if (!m_pText)
    return 0;
  const qint64 below =
      static_cast<qint64>(std::floor(static_cast<qreal>(point.y()) / m_nRowHeight));
  const qint64 row = std::clamp<qint64>(m_nTop + below, 0, Rows() - 1);
  return OffsetInRow(row, point.x() + static_cast<qreal>(m_nLeft));
}

qint64 LogView::PreviousOffset(qint64 offset)
{
  LineLayoutCache::Row& row = RowAt(m_pText->RowOfOffset(offset));
  if (offset <= row.span.start)
    return row.span.row > 0 ? m_pText->Row(row.span.row - 1).End() : 0;
  // The piece that holds the byte before: at a piece boundary, the piece before it.
  LineLayoutCache::Piece& piece = m_layouts.PieceAt(row, offset - 1);
  return piece.OffsetOfUnit(piece.layout->previousCursorPosition(piece.UnitAt(offset)));
}

qint64 LogView::NextOffset(qint64 offset)
{
  LineLayoutCache::Row& row = RowAt(m_pText->RowOfOffset(offset));
  if (offset >= row.span.End())
    return std::min(row.span.Next(), End());
  LineLayoutCache::Piece& piece = m_layouts.PieceAt(row, offset);
  return piece.OffsetOfUnit(piece.layout->nextCursorPosition(piece.UnitAt(offset)));
}

void LogView::MoveCaret(qint64 offset, bool extend, bool keepColumn)
{
  const qreal column = m_rColumnX;
  SetSelection(extend ? m_nAnchor : offset, offset);
  if (keepColumn)
    m_rColumnX = column;
}

void LogView::SelectWordAt(qint64 offset)
{
  LineLayoutCache::Row& row = RowAt(m_pText->RowOfOffset(offset));
  LineLayoutCache::Piece& piece = m_layouts.PieceAt(row, offset);
  const QString text = piece.layout->text();
  auto isWord = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
  int begin = piece.UnitAt(offset);
  int end = begin;
  while (begin > 0 && isWord(text[begin - 1]))
    --begin;
  while (end < text.size() && isWord(text[end]))
    ++end;
  if (begin == end && end < text.size())
    ++end; // a character that is no part of a word is selected on its own
  SetSelection(piece.OffsetOfUnit(begin), piece.OffsetOfUnit(end));
}

void LogView::FindText(const QString& text, bool backward, bool matchCase)
{
  m_search.Cancel();
  m_waitingMatch = {};
  m_nPendingFind = 0;
  if (!m_pText || text.isEmpty()) {
    emit findFinished(false);
    return;
  }
  const quint64 search = ++m_nSearches;
  m_nPendingFind = search;
  const SearchQuery query{text,           backward,         matchCase, SelectionStart(),
                          SelectionEnd(), m_pText->Target()};
  m_search.Start(
      m_pText->Reader(), query,
      [this, search](qint64 done, qint64 total) {
        const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
        QMetaObject::invokeMethod(
            this,
            [this, search, percent] {
              if (m_nPendingFind == search)
                emit findProgress(percent);
            },
            Qt::QueuedConnection);
      },
      [this, search](TextMatch match) {
        QMetaObject::invokeMethod(
            this, [this, search, match] { OnFound(search, match); }, Qt::QueuedConnection);
      });
}

void LogView::OnFound(quint64 search, TextMatch match)
{
  if (search != m_nPendingFind)
    return;
  if (match.Found() && match.end > End()) {
    // Found in bytes the index has not reached yet: selected once it has.
    m_waitingMatch = match;
    return;
  }
  m_nPendingFind = 0;
  if (match.Found())
    SetSelection(match.start, match.end);
  emit findFinished(match.Found());
}

const QTextLayout* LogView::RowLayout(qint64 row, qint64 piece)
{
  if (!m_pText || row < 0 || row >= Rows())
    return nullptr;
  return m_layouts.PieceOf(RowAt(row), piece).layout.get();
}

void LogView::paintEvent(QPaintEvent*)
{
  QPainter painter(viewport());
  const QRect area = viewport()->rect();
  painter.fillRect(area, palette().brush(QPalette::Base));
  if (!m_pText)
    return;
  const qint64 shown = area.height() / m_nRowHeight + 1;
  const qint64 selectionStart = SelectionStart();
  const qint64 selectionEnd = SelectionEnd();
  const qreal left = static_cast<qreal>(m_nLeft);
  const qreal right = left + area.width();
  QTextCharFormat selected;
  selected.setBackground(palette().brush(QPalette::Highlight));
  selected.setForeground(palette().brush(QPalette::HighlightedText));
  painter.setPen(palette().color(QPalette::Text));
  const qreal widest = m_rWidest;
  for (const LineSpan& span : m_pText->Spans(m_nTop, shown)) {
    const qreal y = static_cast<qreal>((span.row - m_nTop) * m_nRowHeight);
    LineLayoutCache::Row& row = m_layouts.RowFor(span);
    if (row.PieceCount() == 1)
      m_rWidest = std::max(m_rWidest, m_layouts.RowWidth(row));
    const auto [first, last] = m_layouts.PiecesBetween(row, left, right);
    for (qint64 number = first; number <= last; ++number) {
      LineLayoutCache::Piece& piece = m_layouts.PieceOf(row, number);
      QList<QTextLayout::FormatRange> selections;
      if (selectionStart < piece.end && selectionEnd > piece.begin) {
        const int from = piece.UnitAt(std::max(selectionStart, piece.begin));
        const int to = piece.UnitAt(std::min(selectionEnd, piece.end));
        selections.append(QTextLayout::FormatRange{from, to - from, selected});
      }
      const QPointF at(piece.x - left, y);
      painter.save();
      painter.setClipRect(QRectF(at.x(), y, m_layouts.PieceWidth(row, piece), m_nRowHeight));
      piece.layout->draw(&painter, at, selections);
      painter.restore();
    }
    // A selected line end shows as a little highlight after the row's text.
    if (span.endBytes > 0 && selectionStart <= span.End() && selectionEnd > span.End()) {
      const qreal x = m_layouts.PieceAt(row, span.End()).XOf(span.End()) - left;
      painter.fillRect(QRectF(x, y, m_layouts.CharWidth() / 2, m_nRowHeight),
                       palette().brush(QPalette::Highlight));
    }
  }
  if (hasFocus())
    painter.fillRect(CaretRect(), palette().color(QPalette::Text));
  m_layouts.Keep(m_nTop - shown, m_nTop + 2 * shown, left, right);
  if (m_rWidest > widest) // more room to scroll sideways, after this paint
    QMetaObject::invokeMethod(
        this, [this] { UpdateScrollBars(); }, Qt::QueuedConnection);
}

void LogView::resizeEvent(QResizeEvent* event)
{
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void LogView::scrollContentsBy(int, int)
{
  // The bars' own signals move the rows; everything is painted afresh.
  viewport()->update();
}

void LogView::keyPressEvent(QKeyEvent* event)
{
  if (!m_pText) {
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  if (event->matches(QKeySequence::Copy)) {
    Copy();
    return;
  }
  if (event->matches(QKeySequence::SelectAll)) {
    SelectAll();
    return;
  }
  const bool extend = event->modifiers() & Qt::ShiftModifier;
  const bool control = event->modifiers() & Qt::ControlModifier;
  switch (event->key()) {
  case Qt::Key_Left:
    MoveCaret(HasSelection() && !extend ? SelectionStart() : PreviousOffset(m_nCaret), extend);
    break;
  case Qt::Key_Right:
    MoveCaret(HasSelection() && !extend ? SelectionEnd() : NextOffset(m_nCaret), extend);
    break;
  case Qt::Key_Up:
  case Qt::Key_Down:
  case Qt::Key_PageUp:
  case Qt::Key_PageDown: {
    const bool page = event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown;
    const bool up = event->key() == Qt::Key_Up || event->key() == Qt::Key_PageUp;
    const qint64 step = (page ? FullRows() : 1) * (up ? -1 : 1);
    if (m_rColumnX < 0)
      m_rColumnX = CaretX();
    if (page) // the caret keeps its place on the screen
      ScrollTo(m_nTop + step, m_nLeft);
    const qint64 row = std::clamp<qint64>(m_nCaretRow + step, 0, Rows() - 1);
    MoveCaret(OffsetInRow(row, m_rColumnX), extend, true);
    break;
  }
  case Qt::Key_Home:
    MoveCaret(control ? 0 : RowAt(m_nCaretRow).span.start, extend);
    break;
  case Qt::Key_End:
    MoveCaret(control ? End() : RowAt(m_nCaretRow).span.End(), extend);
    break;
  default:
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  event->accept();
}

void LogView::mousePressEvent(QMouseEvent* event)
{
  if (event->button() != Qt::LeftButton || !m_pText) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  MoveCaret(OffsetAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
  m_bSelecting = true;
}

void LogView::mouseMoveEvent(QMouseEvent* event)
{
  if (!m_bSelecting || !(event->buttons() & Qt::LeftButton))
    return;
  // Beyond the edges the caret's row lies off the screen, and the view scrolls to it.
  MoveCaret(OffsetAt(event->position().toPoint()), true);
}

void LogView::mouseReleaseEvent(QMouseEvent* event)
{
  m_bSelecting = false;
  QAbstractScrollArea::mouseReleaseEvent(event);
}

void LogView::mouseDoubleClickEvent(QMouseEvent* event)
{
  if (event->button() == Qt::LeftButton && m_pText)
    SelectWordAt(OffsetAt(event->position().toPoint()));
}

void LogView::focusInEvent(QFocusEvent* event)
{
  QAbstractScrollArea::focusInEvent(event);
  viewport()->update();
}

void LogView::focusOutEvent(QFocusEvent* event)
{
  QAbstractScrollArea::focusOutEvent(event);
  viewport()->update();
}

void LogView::contextMenuEvent(QContextMenuEvent* event)
{
  QMenu menu(this);
  QAction* copy = menu.addAction(LoadString(ID_EDIT_COPY), this, [this] { Copy(); });
  copy->setEnabled(HasSelection());
  menu.addAction(LoadString(ID_EDIT_SELECT_ALL), this, &LogView::SelectAll);
  menu.exec(event->globalPos());
}

void LogView::dragEnterEvent(QDragEnterEvent* event)
{
  if (!CTheView::LocalFiles(event->mimeData()).isEmpty())
    event->acceptProposedAction();
}

void LogView::dragMoveEvent(QDragMoveEvent* event)
{
  if (!CTheView::LocalFiles(event->mimeData()).isEmpty())
    event->acceptProposedAction();
}

void LogView::dropEvent(QDropEvent* event)
{
  const QStringList paths = CTheView::LocalFiles(event->mimeData());
  if (paths.isEmpty())
    return;
  event->acceptProposedAction();
  emit filesDropped(paths);
}

} // namespace parlo
