// One of two views is on show, chosen by what the document holds.
#include "ctheview.h"

#include "cparlodoc.h"
#include "logprinter.h"
#include "logtext.h"
#include "logview.h"
#include "richtextview.h"
#include "stringtable.h"

#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QStackedLayout>
#include <QTextBlock>
#include <QUrl>

#include <optional>

namespace parlo {
namespace {

std::optional<CharFormat> g_processDefault;

} // namespace

CTheView::CTheView(QWidget* parent) : QWidget(parent)
{
  m_pLog = new LogView(this);
  m_pRich = new RichTextView(this);
  m_pStack = new QStackedLayout(this);
  m_pStack->setContentsMargins(0, 0, 0, 0);
  m_pStack->addWidget(m_pLog);
  m_pStack->addWidget(m_pRich);
  setFocusProxy(m_pLog);
  connect(m_pLog, &LogView::filesDropped, this, &CTheView::filesDropped);
  connect(m_pRich, &RichTextView::filesDropped, this, &CTheView::filesDropped);
  connect(m_pLog, &LogView::findProgress, this, &CTheView::findProgress);
  connect(m_pLog, &LogView::findFinished, this, &CTheView::findFinished);
  connect(m_pLog, &LogView::message, this, &CTheView::message);
  ApplyDefaultFormat();
}

CharFormat& CTheView::ProcessDefault()
{
  if (!g_processDefault) {
    CharFormat format;
    format.faceName = LoadString(IDS_DEFAULT_FACE);
    format.heightTwips = 200;
    g_processDefault = format;
  }
  return *g_processDefault;
}

const CharFormat& CTheView::DefaultFormat()
{
  return ProcessDefault();
}

QStringList CTheView::LocalFiles(const QMimeData* mime)
{
  QStringList paths;
  if (!mime || !mime->hasUrls())
    return paths;
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile())
      paths.append(url.toLocalFile());
  }
  return paths;
}

QFont CTheView::FontFromFormat(const CharFormat& format)
{
  QFont font(format.faceName);
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSizeF(format.heightTwips / 20.0);
  font.setWeight(format.bold ? QFont::Bold : QFont::Normal);
  font.setItalic(format.italic);
  font.setUnderline(format.underline);
  font.setStrikeOut(format.strikeOut);
  return font;
}

void CTheView::SetDocument(CParloDoc* document)
{
  if (m_pDocument)
    disconnect(m_pDocument, nullptr, this, nullptr);
  m_pDocument = document;
  connect(document, &CParloDoc::documentChanged, this, &CTheView::ShowDocument);
  connect(document, &CParloDoc::indexGrew, m_pLog, &LogView::OnTextGrew);
  ShowDocument();
}

void CTheView::ShowDocument()
{
  const bool rich = m_pDocument && m_pDocument->IsRichText();
  m_pLog->SetText(m_pDocument && !rich ? m_pDocument->Text() : nullptr);
  m_pRich->SetDocument(rich ? m_pDocument->RichDocument() : nullptr, ProcessDefault());
  m_pStack->setCurrentWidget(rich ? static_cast<QWidget*>(m_pRich) : m_pLog);
  setFocusProxy(m_pStack->currentWidget());
  ApplyDefaultFormat();
}

bool CTheView::ShowsRichText() const
{
  return m_pStack->currentWidget() == m_pRich;
}

void CTheView::SetDefaultFormat(const CharFormat& format)
{
  ProcessDefault() = format;
  ApplyDefaultFormat();
}

void CTheView::ApplyDefaultFormat()
{
  m_pLog->SetFormat(ProcessDefault());
  m_pLog->CaretToStart();
  m_pRich->ApplyFormat(ProcessDefault());
}

void CTheView::CaretToEnd()
{
  if (ShowsRichText())
    m_pRich->CaretToEnd();
  else
    m_pLog->CaretToEnd();
}

qint64 CTheView::LineCount() const
{
  if (!ShowsRichText())
    return m_pLog->Text() ? m_pLog->Text()->State().Lines() : 0;
  // A line end closes a line; the empty block after the last one is no line of the file.
  const QTextDocument* text = m_pRich->document();
  return text->blockCount() - (text->lastBlock().length() <= 1 ? 1 : 0);
}

QString CTheView::Text() const
{
  if (ShowsRichText())
    return m_pRich->toPlainText();
  const auto& text = m_pLog->Text();
  return text ? text->Text(0, text->State().end) : QString();
}

QString CTheView::SelectedText(qint64 limitBytes) const
{
  if (ShowsRichText())
    return m_pRich->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
  if (m_pLog->SelectionEnd() - m_pLog->SelectionStart() > limitBytes)
    return {};
  return m_pLog->SelectedText();
}

bool CTheView::HasSelection() const
{
  return ShowsRichText() ? m_pRich->textCursor().hasSelection() : m_pLog->HasSelection();
}

void CTheView::Copy()
{
  if (ShowsRichText())
    m_pRich->copy();
  else
    m_pLog->Copy();
}

void CTheView::SelectAll()
{
  if (ShowsRichText())
    m_pRich->selectAll();
  else
    m_pLog->SelectAll();
}

bool CTheView::Print(QPrinter* printer, const std::function<bool(int)>& progress)
{
  if (ShowsRichText())
    return m_pRich->Print(printer, ProcessDefault());
  const auto& text = m_pLog->Text();
  if (!text) {
    // An untitled document prints as an empty page.
    QPainter painter;
    if (!painter.begin(printer))
      return false;
    painter.end();
    return printer->printerState() != QPrinter::Error;
  }
  const bool selection = printer->printRange() == QPrinter::Selection && m_pLog->HasSelection();
  LogPrinter paper(*text, ProcessDefault());
  return paper.Print(printer, selection ? m_pLog->SelectionStart() : 0,
                     selection ? m_pLog->SelectionEnd() : text->State().end, progress);
}

void CTheView::FindText(const QString& text, bool backward, bool matchCase)
{
  if (ShowsRichText())
    emit findFinished(m_pRich->FindText(text, backward, matchCase));
  else
    m_pLog->FindText(text, backward, matchCase);
}

} // namespace parlo
