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

// How many pixels of a colour an area holds.
struct Count
{
    QColor color;
    QRect area;
    int n;
};
using Counts = QList<Count>;
const QRect whole(0, 0, 220, 200);

Count pixel(int x, int y, const QColor &color)
{
    return {color, {x, y, 1, 1}, 1};
}

// A failure names the colour and area that differ.
void checkCounts(const QImage &image, const Counts &counts)
{
    for (const Count &c : counts)
        QVERIFY2(countColor(image, c.color, c.area) == c.n,
                 qPrintable(QStringLiteral("want %1 of ").arg(c.n) + QDebug::toString(c.color) +
                            " in " + QDebug::toString(c.area)));
}

void row(const char *name, const QByteArray &diary, const Counts &counts, int days = 3,
         int top = 200, const QList<int> &grid = {}, qreal ratio = 1)
{
    QTest::newRow(name) << diary << days << top << counts << grid << ratio;
}

} // namespace

Q_DECLARE_METATYPE(Count)

class TestDiagram : public QObject
{
    Q_OBJECT
    std::unique_ptr<WorkDir> m_dir;
    std::unique_ptr<Mellidor> m_main;

    void makeMain(const QByteArray &diary, int days = 3, int top = 200)
    {
        Clock::setForTesting([] { return QDateTime(today, QTime(15, 0)); });
        m_dir = std::make_unique<WorkDir>(diary);
        m_main = std::make_unique<Mellidor>(); // limits 100 and 130 without a settings file
        m_main->maxGluco = top;
        m_main->daysBack = days;
    }

    // The diagram drawn on a grey image of this device pixel ratio.
    QImage paint(qreal ratio = 1) const
    {
        QImage image(whole.size() * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::gray);
        MellidorPaint(m_main.get()).render(&image);
        return image;
    }

private slots:
    void cleanup()
    {
        m_main.reset();
        m_dir.reset();
        Clock::setForTesting(nullptr);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void pixels_data()
    {
        QTest::addColumn<QByteArray>("diary");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("top");
        QTest::addColumn<Counts>("counts");
        QTest::addColumn<QList<int>>("grid"); // dotted day columns, unchecked when empty
        QTest::addColumn<qreal>("ratio");     // device pixels per pixel
        const QColor blue = Qt::blue, red = Qt::red, lime = Qt::green, black = Qt::black;
        const Counts axes{pixel(100, 180, black), pixel(20, 50, black)};
        const Count noLine{Qt::magenta, whole, 0};
        const Counts noMarks{
            pixel(100, 180, black), noLine, {lime, whole, 0}, {red, {21, 0, 199, 200}, 180}};
        const QByteArray none;
        // Limit lines (lower blue, upper red), the axes and the dotted day grid,
        // whose first line the value axis covers.
        row("defaults", none,
            axes + Counts{pixel(110, 100, blue), pixel(199, 100, blue), pixel(110, 76, red),
                          pixel(210, 100, Qt::white)},
            3, 200, {80, 140});
        row("7 days", none, {}, 7, 200, {45, 70, 95, 120, 145, 170});
        row("8 days", none, {}, 8, 200, {42, 64, 86, 108, 130, 152, 174});
        row("max 147", none, {pixel(110, 71, blue), pixel(110, 38, red)}, 3, 147);
        // One reading: a mark coloured by its range, centred away from the limit
        // line it may sit on, and no line.
        row("150 at noon is red", reading(0, 12, 0, 150), {pixel(171, 61, red), noLine});
        row("100 at the start is blue", reading(-2, 0, 0, 100), {pixel(21, 101, blue)});
        row("115 is green", reading(-1, 0, 0, 115), {pixel(81, 89, lime)});
        row("130 is red", reading(-1, 0, 0, 130), {pixel(81, 77, red)});
        row("7 days, today 00:00", reading(0, 0, 0, 150), {pixel(175, 61, red)}, 7);
        row("30 days, first day", reading(-29, 0, 0, 60), {pixel(21, 133, blue)}, 30);
        // 100 at 06:00 (x 155), then a value out of scale at 12:00 (x 170): the
        // mark is pinned to the plot area, and nothing spills beyond it.
        const QByteArray six = reading(0, 6, 0, 100);
        const Count noneAbove{red, {150, 0, 30, 17}, 0},
            noneBelow{Qt::magenta, {0, 184, 220, 16}, 0};
        row("250 above 200 at the top", six + reading(0, 12, 0, 250),
            {pixel(156, 101, blue), pixel(171, 21, red), noneBelow, noneAbove});
        row("below zero on the time axis", six + reading(0, 12, 0, -40),
            {pixel(156, 101, blue), pixel(171, 181, blue), noneBelow});
        row("147 of 147 stays at 19", six + reading(0, 12, 0, 147),
            {pixel(156, 72, blue), pixel(171, 20, red), noneAbove}, 3, 147);
        // The line joins glucose readings only, and only shown ones.
        row("line skips other rows",
            reading(0, 6, 0, 160) + reading(0, 7, 0, 40, "Carbs") + reading(-10, 8, 0, 100) +
                reading(0, 18, 0, 160),
            {pixel(156, 53, red),
             pixel(186, 53, red),
             pixel(170, 52, Qt::magenta),
             {Qt::magenta, {0, 0, 155, 200}, 0}});
        row("no rows", none, noMarks);
        row("no glucose rows", reading(0, 12, 0, 150, "Bolus") + reading(0, 13, 0, 90, "glucose"),
            noMarks);
        row("all too old", reading(-3, 23, 59, 150), noMarks);
        // Odd settings still draw the axes; without a scale there are no readings.
        const QByteArray two = reading(0, 12, 0, 150) + reading(0, 13, 0, 150) +
                               " 1. 1.2000000000,10:00,Glucose, 120\n";
        row("max 0", two, axes + Counts{noLine}, 3, 0);
        row("max negative", two, axes + Counts{noLine}, 3, -5);
        row("days 0", two, axes + Counts{noLine}, 0);
        row("days negative", two, axes + Counts{noLine}, -3);
        row("days int max", two, axes, INT_MAX);
        row("max 1 and a huge value", reading(0, 12, 0, 2000000000) + reading(0, 13, 0, 2000000000),
            axes, 3, 1);
        // Same geometry in logical pixels, twice the device pixels, and the thin
        // lines stay one device pixel wide, not smeared.
        row("device pixel ratio 2", reading(0, 12, 0, 150),
            {pixel(342, 122, red),
             pixel(439, 399, Qt::white),
             {blue, {220, 190, 1, 22}, 1},
             {red, {220, 142, 1, 20}, 1}},
            3, 200, {}, 2);
    }

    void pixels()
    {
        QFETCH(QByteArray, diary);
        QFETCH(int, days);
        QFETCH(int, top);
        QFETCH(Counts, counts);
        QFETCH(QList<int>, grid);
        QFETCH(qreal, ratio);
        makeMain(diary, days, top);
        const QImage image = paint(ratio);
        checkCounts(image, counts);
        if (!grid.isEmpty())
            QCOMPARE(gridColumns(image), grid);
    }

    // Labels in either unit; a value far beyond the scale stays finite.
    void scale()
    {
        using DiagramScale::valueLabel;
        QCOMPARE(QStringList(
                     {valueLabel(0, GlucoseUnit::MgPerDl), valueLabel(200, GlucoseUnit::MgPerDl),
                      valueLabel(0, GlucoseUnit::MmolPerL), valueLabel(70, GlucoseUnit::MmolPerL),
                      valueLabel(250, GlucoseUnit::MmolPerL)}),
                 QStringList({"   0", " 200", " 0.0", " 3.9", "13.9"}));
        QCOMPARE(DiagramScale::valueY(INT_MAX, 1), -DiagramScale::farAway);
    }

    // In mmol/L the readings, limits and grid keep their pixels; only the value
    // labels at the axis change.
    void mmolChangesLabelsOnly()
    {
        makeMain(reading(0, 6, 0, 100) + reading(0, 12, 0, 150) + reading(-1, 9, 0, 70));
        const QImage mgPerDl = paint();
        m_main->setPreferences({GlucoseUnit::MmolPerL});
        const QImage mmol = paint();
        // Labels may touch the axis line itself.
        const QRect plot(DiagramScale::left + 1, 0, 219 - DiagramScale::left, 200);
        QCOMPARE(mmol.copy(plot), mgPerDl.copy(plot));
        QVERIFY(mmol.copy(0, 0, DiagramScale::left, 200) !=
                mgPerDl.copy(0, 0, DiagramScale::left, 200));
    }

    // Closing deletes a diagram; the main window takes the rest with it (cleanup).
    void closedWindowsAreDeleted()
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
};

QTEST_MAIN(TestDiagram)
#include "tst_diagram.moc"
