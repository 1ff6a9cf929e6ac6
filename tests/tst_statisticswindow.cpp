#include "analysis/agpscale.h"
#include "core/clock.h"
#include "testsupport.h"
#include "ui/agpchart.h"
#include "ui/mellidor.h"
#include "ui/statisticswindow.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <cmath>

class TestStatisticsWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void periods_data();
    void periods();
    void unitSwitch();
    void followsTheDiary();
    void chartPixels_data();
    void chartPixels();
    void reportFromMenuAndWindow();

private:
    std::unique_ptr<WorkDir> m_dir;
    std::unique_ptr<Mellidor> m_main;
};

void TestStatisticsWindow::init()
{
    Clock::setForTesting([] { return QDateTime(QDate(2026, 12, 6), QTime(15, 0)); });
    m_dir = std::make_unique<WorkDir>();
    // One reading in each period, so each longer period holds one more.
    writeBytes(m_dir->file("MellidorFile.txt"), " 1. 1.2020,12:00,Glucose, 120\n"
                                                " 1.10.2026,12:00,Glucose, 120\n"
                                                "10.11.2026,12:00,Glucose, 120\n"
                                                "25.11.2026,12:00,Glucose, 120\n"
                                                " 3.12.2026,12:00,Glucose, 200\n"
                                                " 6.12.2026,08:00,Glucose, 100\n");
    m_main = std::make_unique<Mellidor>();
}

void TestStatisticsWindow::cleanup()
{
    m_main.reset();
    m_dir.reset();
    Clock::setForTesting(nullptr);
}

void TestStatisticsWindow::periods_data()
{
    QTest::addColumn<int>("period");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<int>("readings");
    QTest::newRow("7 days") << int(StatisticsWindow::Last7Days) << QDate(2026, 11, 30) << 2;
    QTest::newRow("14 days") << int(StatisticsWindow::Last14Days) << QDate(2026, 11, 23) << 3;
    QTest::newRow("30 days") << int(StatisticsWindow::Last30Days) << QDate(2026, 11, 7) << 4;
    QTest::newRow("90 days") << int(StatisticsWindow::Last90Days) << QDate(2026, 9, 8) << 5;
    QTest::newRow("all entries") << int(StatisticsWindow::AllEntries) << QDate(2020, 1, 1) << 6;
}

void TestStatisticsWindow::periods()
{
    QFETCH(int, period);
    QFETCH(QDate, from);
    QFETCH(int, readings);
    StatisticsWindow window(m_main.get());
    window.setPeriod(StatisticsWindow::Period(period));
    QCOMPARE(window.statistics().from, from);
    QCOMPARE(window.statistics().to, QDate(2026, 12, 6));
    QCOMPARE(window.statistics().readings, readings);
    // Too few days with readings for any of these periods.
    QVERIFY(window.warningText().contains(QStringLiteral("Only %1 days").arg(readings)));

    window.setDates(QDate(2026, 12, 3), QDate(2026, 12, 3));
    QCOMPARE(window.period(), StatisticsWindow::Dates);
    QCOMPARE(window.statistics().readings, 1);
    QCOMPARE(window.statistics().days, 1);
}

void TestStatisticsWindow::unitSwitch()
{
    StatisticsWindow window(m_main.get());
    window.setPeriod(StatisticsWindow::Last7Days);
    QVERIFY(window.figureTexts().contains(QStringLiteral("150 mg/dL")));
    window.setUnit(GlucoseUnit::MmolPerL);
    QVERIFY(window.figureTexts().contains(QStringLiteral("8.3 mmol/L")));
    QVERIFY(!window.figureTexts().contains(QStringLiteral("150 mg/dL")));
    QCOMPARE(window.statistics().mean, 150.0); // stored values stay mg/dL
}

void TestStatisticsWindow::followsTheDiary()
{
    auto *window = new StatisticsWindow(m_main.get());
    window->setPeriod(StatisticsWindow::Last7Days);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    m_main->listBox->insertRow(0, {" 6.12.2026", "14:00", "Glucose", " 300"});
    QTRY_COMPARE(window->statistics().readings, 3);
    QVERIFY(window->figureTexts().contains(QStringLiteral("200 mg/dL")));
    m_main->listBox->removeRow(0);
    QTRY_COMPARE(window->statistics().readings, 2);

    // Without its main window it shows no readings and does not crash.
    QPointer<StatisticsWindow> alive(window);
    m_main.reset();
    window->refresh();
    QCOMPARE(window->statistics().readings, 0);
    window->close();
    QTRY_VERIFY(!alive);
}

void TestStatisticsWindow::chartPixels_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("ratio 1") << qreal(1);
    QTest::newRow("ratio 2") << qreal(2);
}

void TestStatisticsWindow::chartPixels()
{
    using namespace AgpScale;
    QFETCH(qreal, ratio);
    GlucoseStatistics s;
    for (int hour = 10; hour <= 14; ++hour) {
        AgpBin &bin = s.agp[size_t(hour)];
        bin = {hour, 10, 60, 100, 140, 200, 260};
    }
    AgpChart chart;
    chart.resize(480, 300);
    chart.setStatistics(s, GlucoseUnit::MgPerDl, 100, 130);
    QImage image(chart.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    chart.render(&image);

    const QRectF plot = plotArea(chart.size());
    const double top = topValue(s);
    const auto at = [&](double hour, double mgPerDl) {
        return QColor(image.pixel(int(hourX(hour, plot) * ratio),
                                  int(std::floor(valueY(mgPerDl, top, plot)) * ratio)));
    };
    QCOMPARE(at(12.5, 115), innerBandColor());
    QCOMPARE(at(12.5, 230), outerBandColor());
    QCOMPARE(at(12.5, 140), medianColor());
    QCOMPARE(at(12.5, 300), chart.palette().base().color());
    QCOMPARE(at(4.5, 180), targetLineColor());
    QCOMPARE(at(4.5, 70), targetLineColor());
    QCOMPARE(at(4.5, 115), chart.palette().base().color());
}

// The text of a PDF that pdfinfo finds pages in.
static QString pdfText(const QString &path)
{
    if (!readBytes(path).startsWith("%PDF"))
        return {};
    QProcess info, text;
    info.start("pdfinfo", {path});
    text.start("pdftotext", {"-layout", path, "-"});
    info.waitForFinished(60000);
    text.waitForFinished(60000);
    const int pages = QRegularExpression("Pages:\\s+(\\d+)")
                          .match(QString::fromUtf8(info.readAllStandardOutput()))
                          .captured(1)
                          .toInt();
    return pages > 0 ? QString::fromUtf8(text.readAllStandardOutput()) : QString();
}

void TestStatisticsWindow::reportFromMenuAndWindow()
{
    // "Report..." asks for the period and the unit, then where to save.
    whenDialogOpens([](QDialog *dialog) {
        dialog->findChildren<QComboBox *>()[0]->setCurrentIndex(4); // from - to
        dialog->findChildren<QComboBox *>()[1]->setCurrentIndex(1); // mmol/L
        dialog->findChildren<QDateEdit *>()[0]->setDate(QDate(2026, 12, 3));
        dialog->findChildren<QDateEdit *>()[1]->setDate(QDate(2026, 12, 4));
        chooseFiles({"menu.pdf"});
        pressOk(dialog);
    });
    triggerMenuItem(*m_main, 1, "&Report...");
    const QString text = pdfText(m_dir->file("menu.pdf"));
    QVERIFY2(text.contains("2026-12-03 to 2026-12-04 (2 days)") && text.contains("11.1 mmol/L"),
             qPrintable(text));

    // The statistics window's "Save PDF...", for the window's period.
    triggerMenuItem(*m_main, 1, "&Statistics");
    std::unique_ptr<StatisticsWindow> window;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<StatisticsWindow *>(w))
            window.reset(found);
    }
    QVERIFY(window && window->isVisible());
    window->setPeriod(StatisticsWindow::Last30Days);
    chooseFiles({"window.pdf"});
    window->findChild<QPushButton *>()->click(); // Save PDF... comes first
    QVERIFY(pdfText(m_dir->file("window.pdf")).contains("2026-11-07 to 2026-12-06 (30 days)"));
}

QTEST_MAIN(TestStatisticsWindow)
#include "tst_statisticswindow.moc"
