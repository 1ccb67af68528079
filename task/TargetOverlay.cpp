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
    painter.setPen(QPen(QColor(255, 0, 0), 6));
    const QPoint corners[] = {{frame->left, frame->top}, {frame->right, frame->top},
                              {frame->right, frame->bottom}, {frame->left, frame->bottom},
                              {frame->left, frame->top}};
    painter.drawPolyline(corners, 5);
    painter.setFont(counterStyle.font);
    painter.setPen(counterStyle.colour);
    common::textOut(painter, QPoint(15, 5), counter, counterStyle.brush);
}
