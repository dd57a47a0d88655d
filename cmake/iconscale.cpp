// Build tool: scales a program's icon to one size of the desktop's icon theme.
// Usage: iconscale IN.png SIZE OUT.png. Whole multiples keep the pixels sharp; other sizes are
// smoothed.
#include <QImage>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
  if (argc != 4) {
    std::fprintf(stderr, "usage: iconscale IN.png SIZE OUT.png\n");
    return 2;
  }
  const QImage icon(QString::fromLocal8Bit(argv[1]));
  const int size = std::atoi(argv[2]);
  if (icon.isNull() || size <= 0) {
    std::fprintf(stderr, "iconscale: cannot read %s or bad size %s\n", argv[1], argv[2]);
    return 1;
  }
  const bool wholeMultiple = size % icon.width() == 0 && size % icon.height() == 0;
  const QImage scaled =
      icon.convertToFormat(QImage::Format_ARGB32)
          .scaled(size, size, Qt::IgnoreAspectRatio,
                  wholeMultiple ? Qt::FastTransformation : Qt::SmoothTransformation);
  if (!scaled.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
    std::fprintf(stderr, "iconscale: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
