#pragma once

#include "platform/Os.h"

#include <QImage>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class QLabel;
class QPushButton;
class QTimer;
class TargetOverlay;
class TlpForm;
class TtamriForm;
class Tdatenbetrachter;

// An image control: owns a picture that it shows unscaled at its top-left corner and
// reports a click (left press and release inside it) with itself as the sender.
class TImage : public QWidget {
    Q_OBJECT

public:
    explicit TImage(QWidget *parent);

    // The picture to draw on, created white at 105 x 105 on first use.
    QImage &canvas();
    const QImage &picture() const { return image; }
    void setPicture(const QImage &picture);

signals:
    void clicked(TImage *sender);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QImage image;
    bool leftPressed = false;
};

// One cell of the board.
class TTeil : public TImage {
    Q_OBJECT

public:
    using TImage::TImage;

    std::int8_t row = 0;
    std::int8_t column = 0;
    std::int8_t orderIndex = 0;
    double searchTime = 0.0;
};

namespace TamriUnit {

constexpr int maxColumns = 10;
constexpr int maxRows = 8;
constexpr int maxPositions = 64;

// Task state, shared by the main window's handlers and read by the results windows.
inline std::uint8_t taskColumns = 0;
inline std::uint8_t taskRows = 0;
inline bool numbersMode = false;
inline std::uint8_t lastIndex = 0;
inline std::uint8_t centreIndex = 0;
inline std::uint16_t gridColumns = 0;
inline std::uint16_t gridRows = 0;
inline std::uint16_t tileSize = 0;
inline std::int32_t gapX = 0;
inline std::int32_t gapY = 0;
inline std::uint16_t centreColumn = 0;
inline std::uint16_t centreRow = 0;
inline std::uint16_t targetColumn = 0;
inline std::uint16_t targetRow = 0;
inline std::uint8_t currentTarget = 0;
inline std::uint32_t lastTick = 0;
inline QRect cellRect;

inline std::array<std::uint8_t, maxPositions> presentationOrder{};
inline std::array<std::int8_t, maxPositions> cellContent{};

// [column][row]; the cells belong to the main window.
inline TTeil *cells[maxColumns][maxRows] = {};

// Entry t is the square of the stimulus sheet that holds tile t. Exists from the main
// window's creation until its close.
inline std::optional<std::vector<QRect>> tileRects;
// Scratch list of the order draw; values held as decimal text.
inline std::optional<QStringList> drawList;

// The desktop's taskbar as found at the main window's creation (0 without one). The ways out
// show every taskbar that exists by then, also ones made after the start, but those hidden
// before it.
inline platform::WindowHandle taskbarWindow = 0;

// The windows of the run, created by the program entry.
inline TtamriForm *tamriForm = nullptr;
inline TlpForm *lpForm = nullptr;
inline Tdatenbetrachter *datenbetrachter = nullptr;

// The program's start after the application object: the desktop layer, then the three
// windows in their order, the main window shown full screen (or only shown on a screen size
// fixed by a test). The tests and benchmarks start their programs through here too, so that
// they run the program the entry runs.
void startProgram(platform::Os &os);
// Runs the message loop until the program ends, lets the main window go and returns the exit
// code. The desktop guard is disarmed then: the Os object it calls on goes with the program entry.
int runProgram();

// Restores every value above (and the shared helpers' test settings) to program start.
void resetState();

} // namespace TamriUnit

class TtamriForm : public QWidget {
    Q_OBJECT

public:
    explicit TtamriForm(QWidget *parent = nullptr);
    ~TtamriForm() override;

    // Controls, in the order of the layout.
    QWidget *ctrlPanel;
    QPushButton *ladenBB_1;
    QPushButton *endeBBtn;
    QPushButton *helpBBtn;
    QLabel *Label1;
    TImage *instrImage1;
    QImage testIma;
    QPushButton *ladenBB_2;

    void UbungOeffnen(QPushButton *sender);
    void endeClick();
    void ImageClick(TImage *sender);
    void helpBBtnClick();
    void FormKeyUp(int key, Qt::KeyboardModifiers shift);

    void setFullScreen(QRgb colour);

    // How often the test looks whether another program took the screen or the keyboard.
    static constexpr int desktopKeeperInterval = 100;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void FormActivate();
    void FormClose();
    void setCaptions();
    void destroyCells();
    void freeTileRects();

    void showInstruction();
    void prepareGrid(std::uint16_t size);
    void buildBoard();
    void hideCells();
    void presentTarget(std::uint8_t k);
    void drawTargetFrame();

    void keepDesktop();
    void keepPointer(bool kept);

    TargetOverlay *overlay;
    QTimer *desktopKeeper;
    bool foreignWindowSeen = false;
    bool pointerKept = false;
    // Looks of the keeper to let pass after a refused take-back, and those passed since.
    int looksToWait = 0;
    int looksSinceRefused = 0;
};
