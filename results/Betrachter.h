#pragma once

#include <QDialog>

class LineChart;
class LineSeries;
class QPrinter;
class QPushButton;

// The results chart window: the search time of every target position, with the mean and
// the deviation in the title.
class Tdatenbetrachter : public QDialog {
    Q_OBJECT

public:
    explicit Tdatenbetrachter(QWidget *parent = nullptr);

    QWidget *Panel1;
    QPushButton *lpButton;
    QPushButton *schliessenButton;
    QPushButton *druckenButton;
    QPushButton *kopierenButton;
    LineChart *Chart1;
    LineSeries *Series1;

    void lpButtonClick();
    void schliessenButtonClick();
    void druckenButtonClick();
    void kopierenButtonClick();

    // What the examiner keeps, only when asked: one A4 page with the chart, the lateral
    // picture and every time, and the same figures as a table for a spreadsheet.
    void printResults(QPrinter &printer);
    QString resultsTable();

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
};
