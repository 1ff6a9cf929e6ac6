// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/agpscale.h"
#include "core/clock.h"
#include "testsupport.h"
#include "ui/agpchart.h"
#include "ui/mellidor.h"
#include "ui/palette.h"
#include "ui/rangebar.h"
#include "ui/statisticswindow.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QPushButton>
#include <QtTest>

class TestStatisticsWindow : public QObject
{
    Q_OBJECT
    std::unique_ptr<WorkDir> m_dir;
    std::unique_ptr<Mellidor> m_main;

private slots:
    void init()
    {
        Clock::setForTesting([] { return QDateTime(QDate(2026, 12, 6), QTime(15, 0)); });
        m_main.reset(); // it locks the diary in the old directory
        m_dir.reset();
        m_dir = std::make_unique<WorkDir>();
        // One reading in each period, so each longer period holds one more.
        writeBytes(m_dir->diary(),
                   " 1. 1.2020,12:00,Glucose, 120\n 1.10.2026,12:00,Glucose, 120\n"
                   "10.11.2026,12:00,Glucose, 120\n25.11.2026,12:00,Glucose, 120\n"
                   " 3.12.2026,12:00,Glucose, 200\n 6.12.2026,08:00,Glucose, 100\n");
        m_main = std::make_unique<Mellidor>();
    }

    void periods_data()
    {
        QTest::addColumn<int>("period"); // StatisticsWindow::Period
        QTest::addColumn<QDate>("from");
        QTest::addColumn<int>("readings");
        QTest::addColumn<int>("mgPerDl"); // the mean
        QTest::addColumn<QString>("mmolPerL");
        QTest::newRow("7 days") << 0 << QDate(2026, 11, 30) << 2 << 150 << "8.3";
        QTest::newRow("14 days") << 1 << QDate(2026, 11, 23) << 3 << 140 << "7.8";
        QTest::newRow("30 days") << 2 << QDate(2026, 11, 7) << 4 << 135 << "7.5";
        QTest::newRow("90 days") << 3 << QDate(2026, 9, 8) << 5 << 132 << "7.3";
        QTest::newRow("all entries") << 4 << QDate(2020, 1, 1) << 6 << 130 << "7.2";
        QTest::newRow("dates") << 5 << QDate(2026, 12, 3) << 2 << 150 << "8.3";
    }
    void periods()
    {
        QFETCH(int, period);
        QFETCH(QDate, from);
        QFETCH(int, readings);
        QFETCH(int, mgPerDl);
        QFETCH(QString, mmolPerL);
        StatisticsWindow window(m_main.get());
        if (period == StatisticsWindow::Dates)
            window.setDates(from, QDate(2026, 12, 6));
        else
            window.setPeriod(StatisticsWindow::Period(period));
        QCOMPARE(window.period(), StatisticsWindow::Period(period));
        const GlucoseStatistics s = window.statistics();
        QCOMPARE(QList<QDate>({s.from, s.to}), QList<QDate>({from, QDate(2026, 12, 6)}));
        QCOMPARE(s.readings, readings);
        QVERIFY(window.warningText().contains(QStringLiteral("Only %1 days").arg(readings)));
        QVERIFY(window.figureTexts().contains(QStringLiteral("%1 mg/dL").arg(mgPerDl)));
        window.setUnit(GlucoseUnit::MmolPerL);
        QVERIFY(window.figureTexts().contains(mmolPerL + " mmol/L"));
        QVERIFY(!window.figureTexts().join(' ').contains("mg/dL")); // only the unit shown
    }

    void followsTheDiary()
    {
        auto *window = new StatisticsWindow(m_main.get());
        window->setPeriod(StatisticsWindow::Last7Days);
        window->show();
        m_main->listBox->insertRow(0, {" 6.12.2026", "14:00", "Glucose", " 300"});
        QTRY_COMPARE(window->statistics().readings, 3);
        m_main->listBox->removeRow(0);
        QTRY_COMPARE(window->statistics().readings, 2);

        // Without its main window it shows no readings and does not crash.
        m_main.reset();
        window->refresh();
        QCOMPARE(window->statistics().readings, 0);
        delete window;
    }

    void chartPixels()
    {
        using namespace AgpScale;
        GlucoseStatistics s;
        for (int hour = 10; hour <= 14; ++hour)
            s.agp[size_t(hour)] = {hour, 10, 60, 100, 140, 200, 260};
        AgpChart chart;
        chart.resize(480, 300);
        chart.setStatistics(s, GlucoseUnit::MgPerDl, 100, 130);
        const QRectF plot = plotArea(chart.size());
        for (const qreal ratio : {1.0, 2.0}) { // lines stay on whole device pixels at either
            QImage image(chart.size() * ratio, QImage::Format_RGB32);
            image.setDevicePixelRatio(ratio);
            chart.render(&image);
            const auto at = [&](double hour, double mgPerDl) {
                return QColor(image.pixel(int(hourX(hour, plot) * ratio),
                                          int(std::floor(valueY(mgPerDl, 350, plot)) * ratio)));
            };
            QCOMPARE(QList<QColor>({at(12.5, 115), at(12.5, 230), at(12.5, 140), at(12.5, 300),
                                    at(4.5, 180), at(4.5, 70), at(4.5, 115)}),
                     QList<QColor>({Palette::innerBand, Palette::outerBand, Palette::median,
                                    chart.palette().base().color(), Palette::targetLine,
                                    Palette::targetLine, chart.palette().base().color()}));
        }
    }

    // Each range's segment and swatch in its colour; a share of 0 has no segment.
    void rangeBarPixels()
    {
        using namespace AgpScale;
        GlucoseStatistics s;
        s.readings = 10;
        s.veryHighPercent = 10;
        s.highPercent = 20;
        s.inRangePercent = 50;
        s.lowPercent = 0;
        s.veryLowPercent = 20;
        RangeBar bar;
        bar.resize(bar.sizeHint().width(), 216);
        bar.setStatistics(s, GlucoseUnit::MgPerDl);
        const QImage image = bar.grab().toImage();
        const QRectF rect = bar.barRect();
        const auto segments = rangeSegments(s, rect);
        for (GlucoseRange range : glucoseRanges) {
            const QRectF segment = segments[size_t(range)];
            const QColor swatch(image.pixel(int(rect.right()) + 13, int(rangeLabelY(range, rect))));
            QCOMPARE(swatch, Palette::rangeColor(range));
            if (segment.height() > 0)
                QCOMPARE(QColor(image.pixel(segment.center().toPoint())),
                         Palette::rangeColor(range));
        }
        QCOMPARE(segments[size_t(GlucoseRange::Low)].height(), 0.0);
    }

    void reportFromMenuAndWindow()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        whenDialogOpens([](QDialog *dialog) { // period from - to, mmol/L, then the file
            dialog->findChildren<QComboBox *>()[0]->setCurrentIndex(4);
            dialog->findChildren<QComboBox *>()[1]->setCurrentIndex(1);
            dialog->findChildren<QDateEdit *>()[0]->setDate(QDate(2026, 12, 3));
            dialog->findChildren<QDateEdit *>()[1]->setDate(QDate(2026, 12, 4));
            chooseFiles({"menu.pdf"});
            pressOk(dialog);
        });
        triggerMenuItem(*m_main, 1, "&Report...");
        verifyDialogsAnswered();
        const QString text = outputOf("pdftotext", {"-layout", "menu.pdf", "-"});
        QVERIFY2(text.contains("2026-12-03 to 2026-12-04 (2 days)") && text.contains("11.1 mmol/L"),
                 qPrintable(text));
        StatisticsWindow window(m_main.get());
        window.setPeriod(StatisticsWindow::Last30Days);
        chooseFiles({"window.pdf"});
        window.findChild<QPushButton *>()->click(); // Save PDF... comes first
        verifyDialogsAnswered();
        QVERIFY(outputOf("pdftotext", {"-layout", "window.pdf", "-"})
                    .contains("2026-11-07 to 2026-12-06 (30 days)"));
    }
};

QTEST_MAIN(TestStatisticsWindow)
#include "tst_statisticswindow.moc"
