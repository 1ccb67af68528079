#include "tests/TestSupport.h"

#include "common/Application.h"

#include <QApplication>
#include <QPushButton>
#include <QLocale>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <climits>

namespace testsupport {

platform::FakeOs &fakeOs()
{
    static platform::FakeOs os;
    return os;
}

void installFakeDesktop()
{
    platform::install(&fakeOs());
    struct PaintClock : QObject {
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Paint && watched->isWidgetType())
                fakeOs().painted();
            return false;
        }
    };
    auto *clock = new PaintClock;
    clock->setParent(qApp);
    qApp->installEventFilter(clock);
}

namespace {

// An open message box, modal or not, other than those in `skip`.
common::OkBox *openBox(const std::set<common::OkBox *> &skip = {})
{
    const auto wanted = [&](QWidget *widget) {
        auto *box = qobject_cast<common::OkBox *>(widget);
        return box && box->isVisible() && !skip.count(box) ? box : nullptr;
    };
    if (common::OkBox *box = wanted(QApplication::activeModalWidget()))
        return box;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (common::OkBox *box = wanted(widget))
            return box;
    return nullptr;
}

} // namespace

ModalWatchdog::ModalWatchdog()
{
    timer.setInterval(50);
    QObject::connect(&timer, &QTimer::timeout, [this] {
        QWidget *now = QApplication::activeModalWidget();
        if (!now)
            now = openBox();
        if (now != open) {
            open = now;
            openFor.start();
            return;
        }
        if (!open || openFor.elapsed() < giveUpAfterMs)
            return;
        ADD_FAILURE() << "gave up on the window \"" << open->windowTitle().toStdString() << "\" after "
                      << openFor.elapsed() << " ms: nothing closed it";
        // A dialog's close rejects it.
        open->close();
        open = nullptr;
    });
    timer.start();
}

int runProgramLoop()
{
    // Gone when the loop returns, and the give-up with it.
    QObject deadline;
    QTimer::singleShot(giveUpAfterMs, &deadline, [] {
        ADD_FAILURE() << "the program did not end within " << giveUpAfterMs << " ms";
        QCoreApplication::exit(-1);
    });
    return QCoreApplication::exec();
}

BoxAnswerer::BoxAnswerer() { poll(); }

// Each look is armed before the last one acts, so that a box opened from `whileOpen` is
// answered as well.
void BoxAnswerer::poll()
{
    QTimer::singleShot(5, &alive, [this] {
        poll();
        common::OkBox *box = openBox(answering);
        if (!box)
            return;
        seen.push_back({box->windowTitle(), box->text(), box->icon(), box->frameGeometry(),
                        static_cast<int>(box->findChildren<QAbstractButton *>().size())});
        answering.insert(box);
        if (whileOpen)
            whileOpen(box);
        answering.erase(box);
        box->okButton->click();
    });
}

void startProgram(std::optional<QSize> screen)
{
    delete TamriUnit::tamriForm;
    TamriUnit::resetState();
    fakeOs() = platform::FakeOs();
    common::screenSizeOverride = screen;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TamriUnit::startProgram(fakeOs());
    TamriUnit::tamriForm->activateWindow();
    QApplication::processEvents();
}

void ProgramTest::TearDown()
{
    delete TamriUnit::tamriForm;
    TamriUnit::resetState();
    QLocale::setDefault(QLocale::system());
}

void click(QWidget *widget, Qt::MouseButton button)
{
    QTest::mouseClick(widget, button, Qt::NoModifier, widget->rect().center());
    // Let the window system's activation after a closed box arrive, as it would for a user.
    QApplication::processEvents();
}

TTeil *cellAt(int column, int row) { return TamriUnit::cells[column][row]; }

TTeil *targetCell() { return cellAt(TamriUnit::targetColumn, TamriUnit::targetRow); }

testing::AssertionResult showsText(const QImage &picture, QPoint topLeft, const QString &text, const QFont &font,
                                   const QColor &pen, const QColor &brush)
{
    const QFontMetrics metrics(font);
    QImage expected(metrics.horizontalAdvance(text), metrics.height(), QImage::Format_RGB32);
    expected.fill(brush);
    QPainter painter(&expected);
    painter.setFont(font);
    painter.setPen(pen);
    painter.drawText(QPoint(0, metrics.ascent()), text);
    painter.end();
    const QImage shown = picture.copy(QRect(topLeft, expected.size())).convertToFormat(QImage::Format_RGB32);
    if (shown == expected)
        return testing::AssertionSuccess();
    int differing = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            differing += shown.pixel(x, y) != expected.pixel(x, y);
    return testing::AssertionFailure() << "\"" << text.toStdString() << "\" is not what is drawn at (" << topLeft.x()
                                       << ", " << topLeft.y() << "): " << differing << " of " << expected.width() * expected.height()
                                       << " pixels differ";
}

namespace {

struct RecordingEngine : QPaintEngine {
    explicit RecordingEngine(std::vector<TextRecorder::Text> &texts) : texts(texts) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF &at, const QTextItem &item) override
    {
        texts.push_back({item.text(), painter()->transform().map(at), item.font(), painter()->pen().color()});
    }
    Type type() const override { return User; }
    std::vector<TextRecorder::Text> &texts;
};

} // namespace

TextRecorder::TextRecorder(QSize size)
    : size(size), engine(std::make_unique<RecordingEngine>(texts))
{
}

const TextRecorder::Text *TextRecorder::find(const QString &text) const
{
    const auto found = std::find_if(texts.begin(), texts.end(), [&](const Text &t) { return t.text == text; });
    return found == texts.end() ? nullptr : &*found;
}

QPaintEngine *TextRecorder::paintEngine() const { return engine.get(); }

int TextRecorder::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth: return size.width();
    case PdmHeight: return size.height();
    case PdmWidthMM: return size.width() * 254 / 960;
    case PdmHeightMM: return size.height() * 254 / 960;
    case PdmNumColors: return INT_MAX;
    case PdmDepth: return 32;
    case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
    default: return QPaintDevice::metric(metric);
    }
}

} // namespace testsupport
