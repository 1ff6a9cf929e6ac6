#include "analysis/diagramscale.h"
#include "core/clock.h"
#include "core/entrytext.h"
#include "testsupport.h"
#include "ui/mellidor.h"
#include "ui/mellidorpaint.h"

#include <QRegularExpression>
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

QList<int> numbers(const QString &text)
{
    QList<int> list;
    for (const QString &n : text.split(QRegularExpression("[ ,]"), Qt::SkipEmptyParts))
        list << n.toInt();
    return list;
}

// Probes, separated by ';': "x,y=red" the pixel, "x,y~red" a pixel at most one
// away, "red@x,y,w,h=n" (or "red@=n", the whole picture) a count of pixels,
// "grid=x x ..." the dotted columns.
void checkProbes(const QImage &image, const QString &probes)
{
    for (const QString &probe : probes.split(u';', Qt::SkipEmptyParts)) {
        const QString what = probe.section(QRegularExpression("[=~]"), 0, 0).trimmed();
        const QString want = probe.section(QRegularExpression("[=~]"), 1).trimmed();
        const QColor color(want == "green" ? QColor(Qt::green) : QColor(want));
        const QList<int> p = numbers(what.section(u'@', -1));
        bool ok = false;
        if (what == "grid") {
            ok = gridColumns(image) == numbers(want);
        } else if (what.contains(u'@')) {
            const QRect area = p.isEmpty() ? image.rect() : QRect(p[0], p[1], p[2], p[3]);
            const QString name = what.section(u'@', 0, 0);
            ok = countColor(image, name == "green" ? QColor(Qt::green) : QColor(name), area) ==
                 want.toInt();
        } else if (probe.contains(u'~')) {
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    ok = ok || (image.rect().contains(p[0] + dx, p[1] + dy) &&
                                at(image, p[0] + dx, p[1] + dy) == color);
        } else {
            ok = at(image, p[0], p[1]) == color;
        }
        QVERIFY2(ok, qPrintable(probe));
    }
}

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
    void pixels_data();
    void pixels();
    void closedWindowsAreDeleted();
    void sharpAtDevicePixelRatioTwo();

private:
    void makeMain(const QByteArray &diary, int days = 3, int top = 200);
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

void TestDiagram::makeMain(const QByteArray &diary, int days, int top)
{
    m_main.reset();
    m_dir = std::make_unique<WorkDir>();
    writeBytes(m_dir->diary(), diary);
    m_main = std::make_unique<Mellidor>();
    m_main->lowerLimit = 100;
    m_main->upperLimit = 130;
    m_main->maxGluco = top;
    m_main->daysBack = days;
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

void TestDiagram::pixels_data()
{
    QTest::addColumn<QByteArray>("diary");
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("top");
    QTest::addColumn<QString>("probes");
    const QString noMarks = "magenta@=0; green@=0; red@21,0,199,200=180; 100,180=black";
    const QByteArray none;
    // Limit lines (lower blue, upper red), the axes and the dotted day grid,
    // whose first line the value axis covers.
    QTest::newRow("defaults") << none << 3 << 200
                              << "110,100=blue; 199,100=blue; 110,101=white; 110,76=red; "
                                 "100,180=black; 20,50=black; 210,100=white; grid=80 140";
    QTest::newRow("7 days") << none << 7 << 200 << "grid=45 70 95 120 145 170";
    QTest::newRow("8 days") << none << 8 << 200 << "grid=42 64 86 108 130 152 174";
    QTest::newRow("max 147") << none << 3 << 147 << "110,71=blue; 110,38=red";
    // One reading: a mark coloured by its range, centred away from the limit
    // line it may sit on, and no line.
    QTest::newRow("150 at noon today is red")
        << reading(today, 12, 0, 150) << 3 << 200 << "171,61=red; 170,60~red; magenta@=0";
    QTest::newRow("100 at the start is blue")
        << reading(today.addDays(-2), 0, 0, 100) << 3 << 200 << "21,101=blue; 20,100~blue";
    QTest::newRow("115 is green") << reading(today.addDays(-1), 0, 0, 115) << 3 << 200
                                  << "81,89=green; 80,88~green";
    QTest::newRow("130 is red") << reading(today.addDays(-1), 0, 0, 130) << 3 << 200
                                << "81,77=red; 80,76~red";
    QTest::newRow("tomorrow at x 200")
        << reading(today.addDays(1), 0, 0, 120) << 3 << 200 << "201,85=green; 200,84~green";
    QTest::newRow("7 days, today 00:00")
        << reading(today, 0, 0, 150) << 7 << 200 << "175,61=red; 174,60~red";
    QTest::newRow("30 days, first day")
        << reading(today.addDays(-29), 0, 0, 60) << 30 << 200 << "21,133=blue; 20,132~blue";
    // 100 at 06:00 (x 155), then a value out of scale at 12:00 (x 170): the
    // mark is pinned to the plot area, and nothing spills beyond it.
    const QByteArray six = reading(today, 6, 0, 100);
    const QString pinned = "156,101=blue; magenta@0,184,220,16=0; ";
    QTest::newRow("250 above 200 at the top")
        << six + reading(today, 12, 0, 250) << 3 << 200
        << pinned + "171,21=red; 162,60~magenta; red@150,0,30,17=0";
    QTest::newRow("huge value at the top") << six + reading(today, 12, 0, 2000000000) << 3 << 200
                                           << pinned + "171,21=red; red@150,0,30,17=0";
    QTest::newRow("below zero on the time axis")
        << six + reading(today, 12, 0, -40) << 3 << 200 << pinned + "171,181=blue; 162,140~magenta";
    QTest::newRow("147 of 147 stays at 19") << six + reading(today, 12, 0, 147) << 3 << 147
                                            << "156,72=blue; 171,20=red; red@150,0,30,17=0";
    QTest::newRow("148 of 147 pinned to 20")
        << six + reading(today, 12, 0, 148) << 3 << 147 << "171,21=red; red@150,0,30,17=0";
    // The line joins glucose readings only, and only shown ones.
    QTest::newRow("line skips other rows")
        << reading(today, 6, 0, 160) + reading(today, 7, 0, 40, "Carbs") +
               reading(today.addDays(-10), 8, 0, 100) + reading(today, 18, 0, 160)
        << 3 << 200 << "156,53=red; 186,53=red; 170,52=magenta; magenta@0,0,155,200=0";
    QTest::newRow("no rows") << none << 3 << 200 << noMarks;
    QTest::newRow("no glucose rows")
        << reading(today, 12, 0, 150, "Bolus") + reading(today, 13, 0, 90, "Carbs") << 3 << 200
        << noMarks;
    QTest::newRow("all too old") << reading(today.addDays(-3), 23, 59, 150) +
                                        reading(today.addDays(-40), 1, 0, 90)
                                 << 3 << 200 << noMarks;
    QTest::newRow("lower case type")
        << reading(today, 12, 0, 150, "glucose") << 3 << 200 << noMarks;
    // Odd settings still draw the axes; without a scale there are no readings.
    const QByteArray two = reading(today, 12, 0, 150) + reading(today, 13, 0, 150) +
                           " 1. 1.2000000000,10:00,Glucose, 120\n";
    const QString axes = "100,180=black; 20,50=black";
    QTest::newRow("max 0") << two << 3 << 0 << axes + "; magenta@=0";
    QTest::newRow("max negative") << two << 3 << -5 << axes + "; magenta@=0";
    QTest::newRow("days 0") << two << 0 << 200 << axes + "; magenta@=0";
    QTest::newRow("days negative") << two << -3 << 200 << axes + "; magenta@=0";
    QTest::newRow("days int min") << two << INT_MIN << 200 << axes + "; magenta@=0";
    QTest::newRow("days two billion") << two << 2000000000 << 200 << axes;
    QTest::newRow("days int max") << two << INT_MAX << 200 << axes;
    QTest::newRow("max 1 and a huge value")
        << reading(today, 12, 0, 2000000000) + reading(today, 13, 0, 2000000000) << 3 << 1 << axes;
}

void TestDiagram::pixels()
{
    QFETCH(QByteArray, diary);
    QFETCH(int, days);
    QFETCH(int, top);
    QFETCH(QString, probes);
    makeMain(diary, days, top);
    checkProbes(render(*m_main), probes);
}

void TestDiagram::closedWindowsAreDeleted()
{
    makeMain(reading(today, 12, 0, 150));
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
    makeMain(reading(today, 12, 0, 150));
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
