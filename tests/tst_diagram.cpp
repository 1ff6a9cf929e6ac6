#include "analysis/diagramscale.h"
#include "core/clock.h"
#include "core/entrytext.h"
#include "testsupport.h"
#include "ui/mellidor.h"
#include "ui/mellidorpaint.h"

#include <QtTest>

#include <climits>

namespace {

const QDate today(2026, 12, 6);

QByteArray reading(const QDate &date, int hour, int minute, int value, const char *type = "Glucose")
{
    return (formatDate(date.day(), date.month(), date.year()) + u',' + formatTime(hour, minute) +
            u',' + QLatin1String(type) + u',' + formatValue(value) + u'\n')
        .toUtf8();
}

QImage render(Mellidor &main)
{
    MellidorPaint diagram(&main);
    return diagram.grab().toImage();
}

QColor at(const QImage &image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

// Whether the colour occurs within a small square around (x, y).
bool near(const QImage &image, int x, int y, const QColor &color, int radius = 1)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (image.rect().contains(x + dx, y + dy) && at(image, x + dx, y + dy) == color)
                return true;
    return false;
}

int countColor(const QImage &image, const QColor &color, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += at(image, x, y) == color;
    return count;
}

// Columns right of the value axis that hold dotted grid pixels.
QList<int> gridColumns(const QImage &image)
{
    QList<int> columns;
    for (int x = 21; x <= 200; ++x) {
        int black = 0;
        for (int y = 30; y < 170; ++y)
            black += at(image, x, y) == QColor(Qt::black);
        if (black > 20 && black < 130)
            columns << x;
    }
    return columns;
}

struct Setup
{
    int lower = 100, upper = 130, top = 200, days = 3;
};

} // namespace

class TestDiagram : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        Clock::setForTesting([] { return QDateTime(today, QTime(15, 0)); });
    }
    void cleanup();
    void scale_data();
    void scale();
    void timeScale();
    void windowIsFixedAndCaptioned();
    void limitLinesAndGrid_data();
    void limitLinesAndGrid();
    void readingMarks_data();
    void readingMarks();
    void magentaLineSkipsOtherRows();
    void noReadingsNoMarks_data();
    void noReadingsNoMarks();
    void oddSettingsStillDrawAxes_data();
    void oddSettingsStillDrawAxes();
    void closedWindowsAreDeleted();
    void sharpAtDevicePixelRatioTwo();

private:
    void makeMain(const QByteArray &diary, const Setup &setup);
    std::unique_ptr<WorkDir> m_dir;
    std::unique_ptr<Mellidor> m_main;
};

void TestDiagram::cleanup()
{
    m_main.reset();
    m_dir.reset();
    Clock::setForTesting(nullptr);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void TestDiagram::makeMain(const QByteArray &diary, const Setup &setup)
{
    m_main.reset();
    m_dir = std::make_unique<WorkDir>();
    writeBytes(m_dir->file("MellidorFile.txt"), diary);
    m_main = std::make_unique<Mellidor>();
    m_main->lowerLimit = setup.lower;
    m_main->upperLimit = setup.upper;
    m_main->maxGluco = setup.top;
    m_main->daysBack = setup.days;
}

void TestDiagram::scale_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("maxGluco");
    QTest::addColumn<int>("y");
    QTest::newRow("zero on the axis") << 0 << 200 << 180;
    QTest::newRow("lower limit") << 100 << 200 << 100;
    QTest::newRow("upper limit") << 130 << 200 << 76;
    QTest::newRow("top") << 200 << 200 << 20;
    QTest::newRow("147 rounds below 20") << 147 << 147 << 19;
    QTest::newRow("truncated toward zero above the window") << 250 << 100 << -220;
    QTest::newRow("huge value kept finite") << INT_MAX << 1 << -DiagramScale::farAway;
}

void TestDiagram::scale()
{
    QFETCH(int, value);
    QFETCH(int, maxGluco);
    QFETCH(int, y);
    QCOMPARE(DiagramScale::valueY(value, maxGluco), y);
}

void TestDiagram::timeScale()
{
    QCOMPARE(DiagramScale::timeX(3 * 86400, 3), 200);
    QCOMPARE(DiagramScale::timeX(6 * 86400, 7), 174);
    QCOMPARE(DiagramScale::timeX(-86400, 3), -40);
    QCOMPARE(DiagramScale::pixelsPerDay(7), 25);
    QCOMPARE(DiagramScale::pixelsPerDay(8), 22);
    QCOMPARE(DiagramScale::gridDays(INT_MAX).size(), size_t(2));
}

void TestDiagram::windowIsFixedAndCaptioned()
{
    makeMain(QByteArray(), Setup());
    QVERIFY(QMetaObject::invokeMethod(m_main.get(), "paintLineDiagram"));
    QVERIFY(QMetaObject::invokeMethod(m_main.get(), "paintLineDiagram"));
    QList<MellidorPaint *> diagrams;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<MellidorPaint *>(w))
            diagrams << d;
    QCOMPARE(diagrams.size(), 2);
    for (MellidorPaint *d : diagrams) {
        QVERIFY(d->isVisible());
        QCOMPARE(d->windowTitle(), QStringLiteral("Glucose"));
        QCOMPARE(d->size(), QSize(220, 200));
        QCOMPARE(d->minimumSize(), d->maximumSize());
        QVERIFY(!d->parentWidget());
    }
}

void TestDiagram::limitLinesAndGrid_data()
{
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("lowerY");
    QTest::addColumn<int>("upperY");
    QTest::addColumn<QList<int>>("grid");
    QTest::newRow("defaults") << 3 << 200 << 100 << 76 << QList<int>{20, 80, 140};
    QTest::newRow("7 days") << 7 << 200 << 100 << 76 << QList<int>{20, 45, 70, 95, 120, 145, 170};
    QTest::newRow("8 days") << 8 << 200 << 100 << 76
                            << QList<int>{20, 42, 64, 86, 108, 130, 152, 174};
    QTest::newRow("max 147") << 3 << 147 << 71 << 38 << QList<int>{20, 80, 140};
}

void TestDiagram::limitLinesAndGrid()
{
    QFETCH(int, days);
    QFETCH(int, top);
    QFETCH(int, lowerY);
    QFETCH(int, upperY);
    QFETCH(QList<int>, grid);
    Setup setup;
    setup.days = days;
    setup.top = top;
    makeMain(QByteArray(), setup);
    const QImage image = render(*m_main);
    QCOMPARE(at(image, 110, lowerY), QColor(Qt::blue));
    QCOMPARE(at(image, 110, upperY), QColor(Qt::red));
    QCOMPARE(at(image, 199, lowerY), QColor(Qt::blue));
    QCOMPARE(at(image, 110, lowerY + 1), QColor(Qt::white));
    QCOMPARE(at(image, 100, 180), QColor(Qt::black)); // time axis
    QCOMPARE(at(image, 20, 50), QColor(Qt::black));   // value axis
    QCOMPARE(at(image, 210, 100), QColor(Qt::white));
    // The value axis covers the first grid line at x 20.
    QCOMPARE(gridColumns(image), grid.mid(1));
}

void TestDiagram::readingMarks_data()
{
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("dayOffset"); // from today
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("value");
    QTest::addColumn<QPoint>("mark");
    QTest::addColumn<QColor>("color");
    QTest::newRow("150 at noon today is red")
        << 3 << 0 << 12 << 150 << QPoint(170, 60) << QColor(Qt::red);
    QTest::newRow("100 at the start is blue")
        << 3 << -2 << 0 << 100 << QPoint(20, 100) << QColor(Qt::blue);
    QTest::newRow("115 is green") << 3 << -1 << 0 << 115 << QPoint(80, 88) << QColor(Qt::green);
    QTest::newRow("130 is red") << 3 << -1 << 0 << 130 << QPoint(80, 76) << QColor(Qt::red);
    QTest::newRow("tomorrow at x 200")
        << 3 << 1 << 0 << 120 << QPoint(200, 84) << QColor(Qt::green);
    QTest::newRow("7 days, today 00:00")
        << 7 << 0 << 0 << 150 << QPoint(174, 60) << QColor(Qt::red);
    QTest::newRow("30 days, first day")
        << 30 << -29 << 0 << 60 << QPoint(20, 132) << QColor(Qt::blue);
}

void TestDiagram::readingMarks()
{
    QFETCH(int, days);
    QFETCH(int, dayOffset);
    QFETCH(int, hour);
    QFETCH(int, value);
    QFETCH(QPoint, mark);
    QFETCH(QColor, color);
    Setup setup;
    setup.days = days;
    makeMain(reading(today.addDays(dayOffset), hour, 0, value), setup);
    const QImage image = render(*m_main);
    // The mark's centre, away from the limit lines it may sit on.
    QCOMPARE(at(image, mark.x() + 1, mark.y() + 1), color);
    QVERIFY(near(image, mark.x(), mark.y(), color));
    // A single reading has no line.
    QCOMPARE(countColor(image, Qt::magenta, image.rect()), 0);
}

void TestDiagram::magentaLineSkipsOtherRows()
{
    // Glucose at 06:00 and 18:00 today, with other rows and an old reading between.
    const QByteArray diary = reading(today, 6, 0, 160) + reading(today, 7, 0, 40, "Carbs") +
                             reading(today.addDays(-10), 8, 0, 100) + reading(today, 18, 0, 160);
    makeMain(diary, Setup());
    const QImage image = render(*m_main);
    QCOMPARE(at(image, 156, 53), QColor(Qt::red));
    QCOMPARE(at(image, 186, 53), QColor(Qt::red));
    QCOMPARE(at(image, 170, 52), QColor(Qt::magenta));
    QCOMPARE(countColor(image, Qt::magenta, QRect(0, 0, 155, 200)), 0);
}

void TestDiagram::noReadingsNoMarks_data()
{
    QTest::addColumn<QByteArray>("diary");
    QTest::newRow("no rows") << QByteArray();
    QTest::newRow("no glucose rows")
        << reading(today, 12, 0, 150, "Bolus") + reading(today, 13, 0, 90, "Carbs");
    QTest::newRow("all too old") << reading(today.addDays(-3), 23, 59, 150) +
                                        reading(today.addDays(-40), 1, 0, 90);
    QTest::newRow("lower case type") << reading(today, 12, 0, 150, "glucose");
}

void TestDiagram::noReadingsNoMarks()
{
    QFETCH(QByteArray, diary);
    makeMain(diary, Setup());
    const QImage image = render(*m_main);
    QCOMPARE(countColor(image, Qt::magenta, image.rect()), 0);
    QCOMPARE(countColor(image, Qt::green, image.rect()), 0);
    // Red only on the upper limit line (and its label left of the axis).
    QCOMPARE(countColor(image, Qt::red, QRect(21, 0, 199, 200)), 180);
    QCOMPARE(at(image, 100, 180), QColor(Qt::black));
}

void TestDiagram::oddSettingsStillDrawAxes_data()
{
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("value");
    QTest::newRow("max 0") << 0 << 3 << 150;
    QTest::newRow("max negative") << -5 << 3 << 150;
    QTest::newRow("days 0") << 200 << 0 << 150;
    QTest::newRow("days negative") << 200 << -3 << 150;
    QTest::newRow("days two billion") << 200 << 2000000000 << 150;
    QTest::newRow("days int max") << 200 << INT_MAX << 150;
    QTest::newRow("days int min") << 200 << INT_MIN << 150;
    QTest::newRow("max 1 and a huge value") << 1 << 3 << 2000000000;
}

void TestDiagram::oddSettingsStillDrawAxes()
{
    QFETCH(int, top);
    QFETCH(int, days);
    QFETCH(int, value);
    Setup setup;
    setup.top = top;
    setup.days = days;
    makeMain(reading(today, 12, 0, value) + reading(today, 13, 0, value) +
                 " 1. 1.2000000000,10:00,Glucose, 120\n",
             setup);
    const QImage image = render(*m_main);
    QCOMPARE(at(image, 100, 180), QColor(Qt::black));
    QCOMPARE(at(image, 20, 50), QColor(Qt::black));
    if (top <= 0 || days <= 0) // no scale, so no readings
        QCOMPARE(countColor(image, Qt::magenta, image.rect()), 0);
}

void TestDiagram::closedWindowsAreDeleted()
{
    makeMain(reading(today, 12, 0, 150), Setup());
    QVERIFY(QMetaObject::invokeMethod(m_main.get(), "paintLineDiagram"));
    QVERIFY(QMetaObject::invokeMethod(m_main.get(), "paintLineDiagram"));
    QList<QPointer<MellidorPaint>> diagrams;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<MellidorPaint *>(w))
            diagrams << d;
    QCOMPARE(diagrams.size(), 2);
    diagrams[0]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(diagrams[0].isNull());
    QVERIFY(!diagrams[1].isNull());
    // The main window takes the rest with it.
    m_main.reset();
    QVERIFY(diagrams[1].isNull());
}

void TestDiagram::sharpAtDevicePixelRatioTwo()
{
    makeMain(reading(today, 12, 0, 150), Setup());
    MellidorPaint diagram(m_main.get());
    QImage image(440, 400, QImage::Format_RGB32);
    image.setDevicePixelRatio(2);
    image.fill(Qt::gray);
    diagram.render(&image);
    // Same geometry in logical pixels, twice the device pixels ...
    const auto device = [&](int x, int y) { return QColor(image.pixel(x, y)); };
    QVERIFY(device(220, 200) == QColor(Qt::blue) || device(220, 201) == QColor(Qt::blue));
    QVERIFY(device(220, 152) == QColor(Qt::red) || device(220, 153) == QColor(Qt::red));
    QCOMPARE(device(342, 122), QColor(Qt::red)); // the mark at (170, 60)
    QCOMPARE(device(439, 399), QColor(Qt::white));
    // ... and the thin lines stay one device pixel wide, not smeared.
    int blueRows = 0;
    for (int y = 190; y < 212; ++y)
        blueRows += device(300, y) == QColor(Qt::blue);
    QCOMPARE(blueRows, 1);
}

QTEST_MAIN(TestDiagram)
#include "tst_diagram.moc"
