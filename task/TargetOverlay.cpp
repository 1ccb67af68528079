#include "task/TargetOverlay.h"

#include "common/Drawing.h"

#include <QPainter>

TargetOverlay::TargetOverlay(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TargetOverlay::drawFrameAndCounter(TamriUnit::FrameCorners corners, const QString &text)
{
    frame = corners;
    counter = text;
    counterStyle = surface;
}

void TargetOverlay::paintEvent(QPaintEvent *)
{
    if (!frame)
        return;
    QPainter painter(this);
    // Four lines of a wide pen with round ends, as Windows' drawing surface draws a move-to and
    // line-tos: every corner comes out round, not square or cut off.
    painter.setPen(QPen(QColor(255, 0, 0), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPoint corners[] = {{frame->left, frame->top}, {frame->right, frame->top},
                              {frame->right, frame->bottom}, {frame->left, frame->bottom}};
    for (int i = 0; i < 4; ++i)
        painter.drawLine(corners[i], corners[(i + 1) % 4]);
    painter.setFont(counterStyle.font);
    painter.setPen(counterStyle.colour);
    common::textOut(painter, QPoint(15, 5), counter, counterStyle.brush);
}
