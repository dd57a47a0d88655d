// The viewer's view: a plain-text log through the log view, rich text through the rich-text
// view, with the default format, printing, find and the clipboard for whichever is shown.
#pragma once

#include "fontarithmetic.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <limits>

class QMimeData;
class QPrinter;
class QStackedLayout;

namespace parlo {

class CParloDoc;
class LogView;
class RichTextView;

// The default character format belongs to the process: the first view sets it from the string
// table, later views keep the user's choice. User-interface thread only.
class CTheView : public QWidget
{
  Q_OBJECT
public:
  static constexpr int kPrintMarginTwips = 720;

  explicit CTheView(QWidget* parent = nullptr);

  // Shows the document and follows it: a new file, a growing index, a new rich text.
  void SetDocument(CParloDoc* document);
  LogView* Log() const { return m_pLog; }
  RichTextView* Rich() const { return m_pRich; }
  bool ShowsRichText() const;

  static const CharFormat& DefaultFormat();
  // Makes the format the default and applies it to the whole text.
  void SetDefaultFormat(const CharFormat& format);
  // Applies the default format: caret at the start.
  void ApplyDefaultFormat();
  void CaretToEnd();

  // Lines as a reader counts them: an unfinished last line counts, nothing after a line end.
  qint64 LineCount() const;
  // The whole text shown, line ends as "\n"; meant for small documents.
  QString Text() const;
  // The selected text; empty when the selection holds more than `limitBytes` of the file.
  QString SelectedText(qint64 limitBytes = std::numeric_limits<qint64>::max()) const;
  bool HasSelection() const;
  void Copy();
  void SelectAll();

  // Prints the whole text, or the selection when the printer's range says so, with 720-twip
  // margins; false when the printer reported an error. `progress` gets percents and may cancel.
  bool Print(QPrinter* printer, const std::function<bool(int percent)>& progress = {});
  // Finds from the selection, wrapping around once; findFinished tells the outcome.
  void FindText(const QString& text, bool backward, bool matchCase);

  static QFont FontFromFormat(const CharFormat& format);
  // The local files among dropped or pasted items.
  static QStringList LocalFiles(const QMimeData* mime);

signals:
  void filesDropped(const QStringList& paths);
  void findProgress(int percent);
  void findFinished(bool found);
  void message(const QString& text);

private:
  void ShowDocument();
  static CharFormat& ProcessDefault();

  CParloDoc* m_pDocument = nullptr;
  LogView* m_pLog = nullptr;
  RichTextView* m_pRich = nullptr;
  QStackedLayout* m_pStack = nullptr;
};

} // namespace parlo
