#pragma once

#include <QColor>
#include <QPainter>
#include <QString>
#include <QWidget>

namespace common {

// Gives a window or panel an opaque background of its own in `colour`.
inline void setBackground(QWidget *widget, const QColor &colour)
{
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

// Text with its top-left corner at `topLeft`, on an opaque background of `brush`, in the
// painter's current font and pen colour (the way the board and results draw their text).
inline void textOut(QPainter &painter, QPoint topLeft, const QString &text, const QColor &brush)
{
    const QFontMetrics metrics(painter.font());
    const QRect box(topLeft, QSize(metrics.horizontalAdvance(text), metrics.height()));
    painter.fillRect(box, brush);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
}

} // namespace common
