#pragma once

#include "common/Application.h"
#include "task/Board.h"

#include <QWidget>

#include <optional>

// The main window's own drawing surface: the target frame and the counter must lie over
// the cells (the Pictures frame overlaps the centre cell's edge), and children paint over
// their parent, so they are drawn on a transparent widget above the board.
class TargetOverlay : public QWidget {
public:
    explicit TargetOverlay(QWidget *parent);

    // What the next repaint shows; a colour change of the window wipes it.
    std::optional<TamriUnit::FrameCorners> frame;
    QString counter;
    // The surface's font and brush: first the window's own font, later 10 pt black on white.
    QFont font = common::msSansSerif(11);
    QColor fontColour = Qt::black;
    QColor brush = Qt::white;

protected:
    void paintEvent(QPaintEvent *event) override;
};
