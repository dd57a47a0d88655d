// The view of a plain-text log of any size: it lays out only the rows on the screen, reading
// them through the file's line index as that grows.
#pragma once

#include "fontarithmetic.h"
#include "linelayoutcache.h"
#include "scrollscale.h"
#include "textsearch.h"

#include <QAbstractScrollArea>

#include <memory>

namespace parlo {

class LogText;

// Positions are byte offsets in the file: the caret and the anchor of the selection sit where
// characters start, or at the end of a row's text. Rows are never wrapped; long rows scroll
// sideways. User-interface thread only.
class LogView : public QAbstractScrollArea
{
  Q_OBJECT
public:
  // A larger selection is not put on the clipboard whole; the view says so instead.
  static constexpr qint64 kMaxCopyBytes = 64LL * 1024 * 1024;

  explicit LogView(QWidget* parent = nullptr);
  ~LogView() override;

  // Shows the text's rows (nothing when null), with the caret at the start. The view shares
  // the text, so a search still running can read the file.
  void SetText(std::shared_ptr<LogText> text);
  const std::shared_ptr<LogText>& Text() const { return m_pText; }
  // The text's index grew: more rows, or a longer last row.
  void OnTextGrew();
  // The font and colour of the text; a row's kind colours it over this.
  void SetFormat(const CharFormat& format);

  qint64 Caret() const { return m_nCaret; }
  qint64 Anchor() const { return m_nAnchor; }
  qint64 CaretRow() const { return m_nCaretRow; }
  bool HasSelection() const { return m_nCaret != m_nAnchor; }
  qint64 SelectionStart() const { return std::min(m_nCaret, m_nAnchor); }
  qint64 SelectionEnd() const { return std::max(m_nCaret, m_nAnchor); }
  // Selects [anchor, caret) (clamped to the text) and scrolls the caret into view.
  void SetSelection(qint64 anchor, qint64 caret);
  void SelectAll();
  void CaretToStart() { SetSelection(0, 0); }
  void CaretToEnd();
  bool CaretAtEnd() const;
  // The caret's rectangle in the viewport; empty when its row is not on the screen. Lays out
  // the caret's row if it is not yet.
  QRect CaretRect();
  qint64 TopRow() const { return m_nTop; }
  int RowHeight() const { return m_nRowHeight; }

  // The selected text with line ends as "\n"; empty for a selection too large to copy.
  QString SelectedText() const;
  // Puts the selection on the clipboard; false (and a message) when it is too large.
  bool Copy();

  // Starts a search from the selection; findFinished tells the outcome. A match beyond the
  // part of the file already indexed is selected once the index reaches it.
  void FindText(const QString& text, bool backward, bool matchCase);
  bool IsFinding() const { return m_nPendingFind != 0; }
  // The search found a match beyond the part indexed so far and waits for the index.
  bool IsWaitingForIndex() const { return m_waitingMatch.Found(); }

  // The layout of a piece of a row, as drawn (for tests of layout and colours).
  const QTextLayout* RowLayout(qint64 row, qint64 piece = 0);

signals:
  void filesDropped(const QStringList& paths);
  void findProgress(int percent);
  void findFinished(bool found);
  // Something the status bar should say.
  void message(const QString& text);

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  qint64 Rows() const;
  qint64 End() const;
  int FullRows() const;
  qint64 MaxTop() const;
  qreal ContentWidth() const;
  void UpdateScrollBars();
  void ScrollTo(qint64 top, qint64 left);
  void EnsureCaretVisible();
  LineLayoutCache::Row& RowAt(qint64 row);
  qreal CaretX();
  // The offset under a point of the viewport.
  qint64 OffsetAt(const QPoint& point);
  qint64 PreviousOffset(qint64 offset);
  qint64 NextOffset(qint64 offset);
  qint64 OffsetInRow(qint64 row, qreal x);
  // Moves the caret, keeping the anchor when extending the selection.
  void MoveCaret(qint64 offset, bool extend, bool keepColumn = false);
  void SelectWordAt(qint64 offset);
  void OnFound(quint64 search, TextMatch match);

  std::shared_ptr<LogText> m_pText;
  LineLayoutCache m_layouts;
  int m_nRowHeight = 16;
  qint64 m_nTop = 0;  // first row on the screen
  qint64 m_nLeft = 0; // pixels scrolled to the right
  qint64 m_nCaret = 0;
  qint64 m_nAnchor = 0;
  qint64 m_nCaretRow = 0;
  qreal m_rColumnX = -1; // where up and down keep the caret; -1 for the caret's own x
  qreal m_rWidest = 0;   // the widest row laid out so far
  ScrollScale m_rowScale;
  ScrollScale m_pixelScale;
  bool m_bSyncingBars = false;
  bool m_bSelecting = false;

  TextSearch m_search;
  quint64 m_nSearches = 0;
  quint64 m_nPendingFind = 0; // the search still to report, 0 for none
  TextMatch m_waitingMatch;   // found beyond the indexed part
};

} // namespace parlo
