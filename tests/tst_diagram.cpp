// SPDX-License-Identifier: GPL-3.0-or-later
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

QByteArray reading(int day, int hour, int minute, int value, const char *type = "Glucose")
{
    const QDate date = today.addDays(day);
    return (formatDate(date.day(), date.month(), date.year()) + u',' + formatTime(hour, minute) +
            u',' + QLatin1String(type) + u',' + formatValue(value) + u'\n')
        .toUtf8();
}

int countColor(const QImage &image, const QColor &color, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += QColor(image.pixel(x, y)) == color;
    return count;
}

// Columns right of the value axis that hold dotted grid pixels.
QList<int> gridColumns(const QImage &image)
{
    QList<int> columns;
    for (int x = 21; x <= 200; ++x) {
        if (const int black = countColor(image, Qt::black, QRect(x, 30, 1, 140));
            black > 20 && black < 130)
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

// Probes, separated by ';': "x,y=red" the pixel, "red@x,y,w,h=n" (or "red@=n",
// the whole picture) a count of pixels, "grid=x x ..." the dotted columns;
// "days=n" and "top=n" are settings (3 and 200 unless given).
void checkProbes(const QImage &image, const QString &probes)
{
    for (const QString &probe : probes.split(u';', Qt::SkipEmptyParts)) {
        const QString what = probe.section(u'=', 0, 0).trimmed();
        const QString want = probe.section(u'=', 1).trimmed();
        // The numbers given, then those of the whole picture.
        const QList<int> p = numbers(what.section(u'@', -1)) << 0 << 0 << 220 << 200;
        bool ok = what == "days" || what == "top"; // settings, see pixels()
        if (what == "grid")
            ok = gridColumns(image) == numbers(want);
        else if (what.contains(u'@'))
            ok = countColor(image, QColor(what.section(u'@', 0, 0)),
                            QRect(p[0], p[1], p[2], p[3])) == want.toInt();
        else if (!ok)
            ok = QColor(image.pixel(p[0], p[1])) == QColor(want);
        QVERIFY2(ok, qPrintable(probe));
    }
}

} // namespace

class TestDiagram : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void pixels_data();
    void pixels();
    void farValuesStayFinite();
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
    Clock::setForTesting([] { return QDateTime(today, QTime(15, 0)); });
    m_dir = std::make_unique<WorkDir>();
    writeBytes(m_dir->diary(), diary);
    m_main = std::make_unique<Mellidor>(); // limits 100 and 130 without a settings file
    m_main->maxGluco = top;
    m_main->daysBack = days;
}

void TestDiagram::pixels_data()
{
    QTest::addColumn<QByteArray>("diary");
    QTest::addColumn<QString>("probes");
    const QString noMarks = "magenta@=0; lime@=0; red@21,0,199,200=180; 100,180=black";
    const QString axes = "100,180=black; 20,50=black; ";
    const QByteArray none;
    // Limit lines (lower blue, upper red), the axes and the dotted day grid,
    // whose first line the value axis covers.
    QTest::newRow("defaults")
        << none << axes + "110,100=blue; 199,100=blue; 110,76=red; 210,100=white; grid=80 140";
    QTest::newRow("7 days") << none << "days=7; grid=45 70 95 120 145 170";
    QTest::newRow("8 days") << none << "days=8; grid=42 64 86 108 130 152 174";
    QTest::newRow("max 147") << none << "top=147; 110,71=blue; 110,38=red";
    // One reading: a mark coloured by its range, centred away from the limit
    // line it may sit on, and no line.
    QTest::newRow("150 at noon is red") << reading(0, 12, 0, 150) << "171,61=red; magenta@=0";
    QTest::newRow("100 at the start is blue") << reading(-2, 0, 0, 100) << "21,101=blue";
    QTest::newRow("115 is green") << reading(-1, 0, 0, 115) << "81,89=lime";
    QTest::newRow("130 is red") << reading(-1, 0, 0, 130) << "81,77=red";
    QTest::newRow("7 days, today 00:00") << reading(0, 0, 0, 150) << "days=7; 175,61=red";
    QTest::newRow("30 days, first day") << reading(-29, 0, 0, 60) << "days=30; 21,133=blue";
    // 100 at 06:00 (x 155), then a value out of scale at 12:00 (x 170): the
    // mark is pinned to the plot area, and nothing spills beyond it.
    const QByteArray six = reading(0, 6, 0, 100);
    const QString pinned = "156,101=blue; magenta@0,184,220,16=0; ";
    QTest::newRow("250 above 200 at the top")
        << six + reading(0, 12, 0, 250) << pinned + "171,21=red; red@150,0,30,17=0";
    QTest::newRow("below zero on the time axis")
        << six + reading(0, 12, 0, -40) << pinned + "171,181=blue";
    QTest::newRow("147 of 147 stays at 19")
        << six + reading(0, 12, 0, 147) << "top=147; 156,72=blue; 171,20=red; red@150,0,30,17=0";
    // The line joins glucose readings only, and only shown ones.
    QTest::newRow("line skips other rows")
        << reading(0, 6, 0, 160) + reading(0, 7, 0, 40, "Carbs") + reading(-10, 8, 0, 100) +
               reading(0, 18, 0, 160)
        << "156,53=red; 186,53=red; 170,52=magenta; magenta@0,0,155,200=0";
    QTest::newRow("no rows") << none << noMarks;
    QTest::newRow("no glucose rows")
        << reading(0, 12, 0, 150, "Bolus") + reading(0, 13, 0, 90, "glucose") << noMarks;
    QTest::newRow("all too old") << reading(-3, 23, 59, 150) << noMarks;
    // Odd settings still draw the axes; without a scale there are no readings.
    const QByteArray two =
        reading(0, 12, 0, 150) + reading(0, 13, 0, 150) + " 1. 1.2000000000,10:00,Glucose, 120\n";
    QTest::newRow("max 0") << two << axes + "top=0; magenta@=0";
    QTest::newRow("max negative") << two << axes + "top=-5; magenta@=0";
    QTest::newRow("days 0") << two << axes + "days=0; magenta@=0";
    QTest::newRow("days negative") << two << axes + "days=-3; magenta@=0";
    QTest::newRow("days int max") << two << axes + "days=2147483647";
    QTest::newRow("max 1 and a huge value")
        << reading(0, 12, 0, 2000000000) + reading(0, 13, 0, 2000000000) << axes + "top=1";
}

void TestDiagram::pixels()
{
    QFETCH(QByteArray, diary);
    QFETCH(QString, probes);
    const QString all = probes + "; days=3; top=200"; // the first setting given counts
    makeMain(diary, all.section("days=", 1).section(u';', 0, 0).toInt(),
             all.section("top=", 1).section(u';', 0, 0).toInt());
    checkProbes(MellidorPaint(m_main.get()).grab().toImage(), probes);
}

void TestDiagram::farValuesStayFinite()
{
    QCOMPARE(DiagramScale::valueY(INT_MAX, 1), -DiagramScale::farAway);
}

// Closing deletes a diagram; the main window takes the rest with it (cleanup).
void TestDiagram::closedWindowsAreDeleted()
{
    makeMain(reading(0, 12, 0, 150));
    QVERIFY(QMetaObject::invokeMethod(m_main.get(), "paintLineDiagram"));
    QVERIFY(QMetaObject::invokeMethod(m_main.get(), "paintLineDiagram"));
    QList<QPointer<QWidget>> diagrams;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<MellidorPaint *>(w))
            diagrams << w;
    QCOMPARE(diagrams.size(), 2);
    diagrams[0]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(diagrams[0].isNull() && !diagrams[1].isNull());
}

void TestDiagram::sharpAtDevicePixelRatioTwo()
{
    makeMain(reading(0, 12, 0, 150));
    QImage image(440, 400, QImage::Format_RGB32);
    image.setDevicePixelRatio(2);
    image.fill(Qt::gray);
    MellidorPaint(m_main.get()).render(&image);
    // Same geometry in logical pixels, twice the device pixels, and the thin
    // lines stay one device pixel wide, not smeared.
    checkProbes(image, "blue@220,190,1,22=1; red@220,142,1,20=1; 342,122=red; 439,399=white");
}

QTEST_MAIN(TestDiagram)
#include "tst_diagram.moc"
