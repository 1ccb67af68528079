#pragma once

#include "platform/FakeOs.h"
#include "task/TamriUnit.h"

#include <QMessageBox>
#include <QSize>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace testsupport {

platform::FakeOs &fakeOs();

// What a message box showed when it was answered.
struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    QRect geometry;
    int buttons;
};

// Answers every modal message box with "OK" as soon as it is open, after letting
// `whileOpen` act on it, and records what it showed.
class BoxAnswerer {
public:
    BoxAnswerer();
    std::vector<SeenBox> seen;
    std::function<void(QMessageBox *)> whileOpen;

private:
    QTimer timer;
};

// A fresh program state with the three windows created as the program entry creates them,
// on a screen of the given size, with the fake desktop and a German locale.
class ProgramTest : public testing::Test {
protected:
    void SetUp() override { start(QSize(1024, 768)); }
    void TearDown() override;
    void start(QSize screen);

    TtamriForm &form() { return *TamriUnit::tamriForm; }
    platform::FakeOs &os() { return fakeOs(); }
};

// Clicks (press and release of the left button) in the middle of a widget.
void click(QWidget *widget, Qt::MouseButton button = Qt::LeftButton);
TTeil *cellAt(int column, int row);
// The cell that holds the current target.
TTeil *targetCell();

} // namespace testsupport
