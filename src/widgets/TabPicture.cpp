#include "widgets/TabPicture.h"

#include "widgets/BlueScheme.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int pictureWidth = 128;
constexpr int pictureHeight = 64;

QFont captionFont() {
    QFont font(BlueScheme::fontFamily());
    font.setPixelSize(30);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 6);
    return font;
}

} // namespace

QPixmap DrawTabPicture(const QString& caption) {
    QPixmap picture(pictureWidth, pictureHeight);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const QFont font = captionFont();
    QPainterPath text;
    const QFontMetrics metrics(font);
    const int textWidth = metrics.horizontalAdvance(caption);
    const qreal x = (pictureWidth - textWidth) / 2.0 + 3;
    const qreal y = (pictureHeight + metrics.ascent() - metrics.descent()) / 2.0;
    text.addText(x, y, font, caption);

    // A soft white halo, then the glyphs in a blue gradient with a dark blue outline.
    painter.setPen(QPen(QColor(255, 255, 255, 200), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(text);
    QLinearGradient fill(0, y - metrics.ascent(), 0, y);
    fill.setColorAt(0, QColor(90, 150, 230));
    fill.setColorAt(1, QColor(20, 70, 160));
    painter.setPen(QPen(BlueScheme::caption(), 1));
    painter.setBrush(fill);
    painter.drawPath(text);
    return picture;
}
