#pragma once

#include <QDialog>

class QChartView;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QValueAxis;

// The results chart window: the search time of every target position, with the mean and
// the deviation in the title.
class Tdatenbetrachter : public QDialog {
    Q_OBJECT

public:
    explicit Tdatenbetrachter(QWidget *parent = nullptr);

    QWidget *Panel1;
    QPushButton *lpButton;
    QPushButton *schliessenButton;
    QChartView *Chart1;
    QLineSeries *Series1;

    void lpButtonClick();
    void schliessenButtonClick();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormShow();
    void FormActivate();
    void fillSeries();
    QString buildChartTitle();

    void addPoint(double x, double y, const QColor &colour);
    void setPointColour(int index, const QColor &colour);

    // The triangles at the points of Series1, each filled with its point's colour.
    QScatterSeries *pointMarks;
    QValueAxis *axisX;
    QValueAxis *axisY;
};
