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

    struct TextStyle {
        QFont font;
        QColor colour;
        QColor brush;
    };

    // The surface's current font and brush: first the window's own font, later 10 pt black
    // on white.
    TextStyle surface{common::msSansSerif(11), Qt::black, Qt::white};

    // Frame and counter in the surface's current style; every repaint shows them so until
    // the next call, or until a colour change of the window wipes them.
    void drawFrameAndCounter(TamriUnit::FrameCorners corners, const QString &text);
    void wipe() { frame.reset(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::optional<TamriUnit::FrameCorners> frame;
    QString counter;
    TextStyle counterStyle = surface;
};
