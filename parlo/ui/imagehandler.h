// Draws pictures embedded in rich text inside the plain-text layout of the view.
#pragma once

#include <QObject>
#include <QTextObjectInterface>

namespace parlo {

// The view's layout is built for long logs and knows no pictures; this handler gives it the
// pictures of an HTML or Markdown document, loaded through the document's resources.
class ImageHandler : public QObject, public QTextObjectInterface
{
  Q_OBJECT
  Q_INTERFACES(QTextObjectInterface)
public:
  using QObject::QObject;

  QSizeF intrinsicSize(QTextDocument* document, int positionInDocument,
                       const QTextFormat& format) override;
  void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document,
                  int positionInDocument, const QTextFormat& format) override;

private:
  static QImage LoadImage(QTextDocument* document, const QTextFormat& format);
};

} // namespace parlo
