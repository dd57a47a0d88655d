// Picture sizes follow the format's width and height when given, else the picture's own.
#include "imagehandler.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTextDocument>
#include <QUrl>

namespace parlo {

QImage ImageHandler::LoadImage(QTextDocument* document, const QTextFormat& format)
{
  const QTextImageFormat image = format.toImageFormat();
  const QVariant data = document->resource(QTextDocument::ImageResource, QUrl(image.name()));
  if (data.userType() == QMetaType::QImage)
    return data.value<QImage>();
  if (data.userType() == QMetaType::QPixmap)
    return data.value<QPixmap>().toImage();
  QImage loaded;
  if (data.userType() == QMetaType::QByteArray)
    loaded.loadFromData(data.toByteArray());
  if (!loaded.isNull())
    document->addResource(QTextDocument::ImageResource, QUrl(image.name()), loaded);
  return loaded;
}

QSizeF ImageHandler::intrinsicSize(QTextDocument* document, int, const QTextFormat& format)
{
  const QTextImageFormat image = format.toImageFormat();
  const QImage picture = LoadImage(document, format);
  QSizeF size = picture.isNull() ? QSizeF(16, 16) : QSizeF(picture.size());
  if (image.width() > 0 && image.height() > 0)
    size = QSizeF(image.width(), image.height());
  else if (image.width() > 0 && size.width() > 0)
    size = QSizeF(image.width(), size.height() * image.width() / size.width());
  else if (image.height() > 0 && size.height() > 0)
    size = QSizeF(size.width() * image.height() / size.height(), image.height());
  return size;
}

void ImageHandler::drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int,
                              const QTextFormat& format)
{
  const QImage picture = LoadImage(document, format);
  if (picture.isNull()) {
    painter->drawRect(rect.adjusted(0, 0, -1, -1));
    return;
  }
  painter->drawImage(rect, picture);
}

} // namespace parlo
