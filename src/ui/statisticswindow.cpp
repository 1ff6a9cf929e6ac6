// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/statisticswindow.h"

#include "analysis/reportdata.h"
#include "analysis/statisticstext.h"
#include "core/clock.h"
#include "core/diarysession.h"
#include "ui/agpchart.h"
#include "ui/grichart.h"
#include "ui/palette.h"
#include "ui/rangebar.h"
#include "ui/reportrenderer.h"
#include "ui/usermessage.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The first grid column of the risk figures, after a gap, and the rows of
// the risk chart below them.
constexpr int riskColumn = 4;
constexpr int riskChartRow = 9;
constexpr int riskChartRows = 14;

constexpr int firstLookDays = 14;

} // namespace

StatisticsWindow::StatisticsWindow(DiarySession *session)
    : QWidget(nullptr), m_session(session), m_chooser(new PeriodChooser(true)),
      m_unitBox(new QComboBox), m_periodLabel(new QLabel), m_warningLabel(new QLabel),
      m_figureGrid(new QGridLayout), m_rangeBar(new RangeBar), m_griChart(new GriChart),
      m_eventsLabel(new QLabel), m_chart(new AgpChart), m_buttonRow(new QHBoxLayout)
{
    setWindowTitle(tr("Statistics"));
    // Like the diagram: closing deletes it and never keeps the program running.
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);

    m_unitBox->addItems({unitName(GlucoseUnit::MgPerDl), unitName(GlucoseUnit::MmolPerL)});

    auto *choices = new QHBoxLayout;
    auto *periodLabel = new QLabel(tr("&Period:"));
    periodLabel->setBuddy(m_chooser);
    choices->addWidget(periodLabel);
    choices->addWidget(m_chooser);
    choices->addStretch();
    auto *unitLabel = new QLabel(tr("&Unit:"));
    unitLabel->setBuddy(m_unitBox);
    choices->addWidget(unitLabel);
    choices->addWidget(m_unitBox);

    m_warningLabel->setWordWrap(true);
    m_warningLabel->setStyleSheet(Palette::styleSheetColor(Palette::warning) +
                                  QStringLiteral("; font-weight: bold"));
    m_warningLabel->hide();

    m_figureGrid->setHorizontalSpacing(16);
    m_figureGrid->setVerticalSpacing(2);
    for (int column : {2, riskColumn + 2}) {
        auto *header = new QLabel(tr("Consensus target"));
        header->setEnabled(false);
        m_figureGrid->addWidget(header, 0, column);
    }
    m_figureGrid->setColumnMinimumWidth(riskColumn - 1, 16);
    // Under the risk figures: the risk chart with the events beneath.
    auto *risk = new QVBoxLayout;
    risk->addWidget(m_griChart);
    risk->addWidget(m_eventsLabel);
    risk->addStretch();
    m_figureGrid->addLayout(risk, riskChartRow, riskColumn, riskChartRows, 3);
    auto *figures = new QHBoxLayout;
    figures->addLayout(m_figureGrid);
    figures->addSpacing(16);
    figures->addWidget(m_rangeBar);
    figures->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(m_periodLabel);
    layout->addWidget(m_warningLabel);
    layout->addLayout(figures);
    layout->addWidget(m_chart, 1);
    m_buttonRow->addStretch();
    auto *savePdf = new QPushButton(tr("Save PDF..."));
    auto *print = new QPushButton(tr("Print..."));
    m_buttonRow->addWidget(savePdf);
    m_buttonRow->addWidget(print);
    layout->addLayout(m_buttonRow);
    connect(savePdf, &QPushButton::clicked, this, [this] { makeReport(ReportOutput::PdfFile); });
    connect(print, &QPushButton::clicked, this, [this] { makeReport(ReportOutput::Printer); });

    // A period the person chooses needs no note.
    connect(m_chooser, &PeriodChooser::periodChanged, this, [this] {
        m_firstLookNote.clear();
        refresh();
    });
    connect(m_unitBox, &QComboBox::currentIndexChanged, this, &StatisticsWindow::present);
    if (session)
        connect(&session->document(), &DiaryDocument::rowsChanged, this,
                &StatisticsWindow::diaryChanged);
    refresh();
    // After an import of last year, the first look shows last year, not
    // nothing. Only then is the whole diary searched for its newest reading.
    if (m_statistics.readings > 0 || !session)
        return;
    const QDate today = Clock::today();
    const QDate end = firstLookEnd(session->diary(), today, firstLookDays);
    if (end == today)
        return;
    m_firstLookNote = tr("The last %1 days hold no readings: these are the %1 days up "
                         "to the newest one.")
                          .arg(firstLookDays);
    setDates(end.addDays(1 - firstLookDays), end);
}

StatisticsWindow::~StatisticsWindow() = default;

StatisticsWindow::Period StatisticsWindow::period() const
{
    return m_chooser->period();
}

void StatisticsWindow::setPeriod(Period period)
{
    m_chooser->setPeriod(period);
}

void StatisticsWindow::setDates(const QDate &from, const QDate &to)
{
    m_chooser->setDates(from, to);
    refresh();
}

GlucoseUnit StatisticsWindow::unit() const
{
    return m_unitBox->currentIndex() == 1 ? GlucoseUnit::MmolPerL : GlucoseUnit::MgPerDl;
}

void StatisticsWindow::setUnit(GlucoseUnit unit)
{
    m_unitBox->setCurrentIndex(unit == GlucoseUnit::MmolPerL ? 1 : 0);
}

QStringList StatisticsWindow::figureTexts() const
{
    QStringList texts;
    for (const QLabel *label : m_figureValues)
        texts << label->text();
    return texts;
}

QString StatisticsWindow::eventsText() const
{
    return m_eventsLabel->text();
}

QString StatisticsWindow::warningText() const
{
    return m_warningLabel->isHidden() ? QString() : m_warningLabel->text();
}

void StatisticsWindow::refresh()
{
    m_refreshQueued = false;
    static const Diary noDiary;
    const Diary &diary = m_session ? m_session->diary() : noDiary;
    m_lowerLimit = m_session ? m_session->settings().lowerLimit : 0;
    m_upperLimit = m_session ? m_session->settings().upperLimit : 0;
    const PeriodChooser::Days days = m_chooser->days(
        period() == PeriodChooser::AllEntries ? entryDateRange(diary) : std::nullopt);
    // The date boxes show the period that the figures stand for.
    m_chooser->showDays(days);
    m_statistics = computeStatistics(diary, days.first, days.second, m_lowerLimit, m_upperLimit);
    present();
}

void StatisticsWindow::present()
{
    const GlucoseStatistics &s = m_statistics;
    const GlucoseUnit shown = unit();
    if (s.to < s.from)
        m_periodLabel->setText(tr("The period ends before it starts."));
    else
        m_periodLabel->setText(tr("%1 to %2 (%3 days)")
                                   .arg(s.from.toString(Qt::ISODate), s.to.toString(Qt::ISODate))
                                   .arg(s.days) +
                               (m_firstLookNote.isEmpty() ? QString() : u'\n' + m_firstLookNote));
    const QStringList warnings = statisticsWarnings(s);
    m_warningLabel->setText(warnings.join(u'\n'));
    m_warningLabel->setVisible(!warnings.isEmpty());

    std::vector<StatisticsLine> lines = statisticsLines(s, shown, m_lowerLimit, m_upperLimit);
    const size_t core = lines.size();
    const std::vector<StatisticsLine> risk = riskLines(s, shown);
    lines.insert(lines.end(), risk.begin(), risk.end());
    for (size_t i = m_figureValues.size(); i < lines.size(); ++i) {
        // The risk figures stand beside the core ones.
        const int row = int(i < core ? i : i - core) + 1;
        const int column = i < core ? 0 : riskColumn;
        m_figureLabels.push_back(new QLabel);
        m_figureValues.push_back(new QLabel);
        m_figureTargets.push_back(new QLabel);
        m_figureValues.back()->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_figureGrid->addWidget(m_figureLabels.back(), row, column);
        m_figureGrid->addWidget(m_figureValues.back(), row, column + 1);
        m_figureGrid->addWidget(m_figureTargets.back(), row, column + 2);
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        const StatisticsLine &line = lines[i];
        m_figureLabels[i]->setText(line.label);
        m_figureValues[i]->setText(line.value);
        m_figureTargets[i]->setText(targetWithMark(line));
        m_figureTargets[i]->setStyleSheet(!line.met   ? QString()
                                          : *line.met ? Palette::styleSheetColor(Palette::met)
                                                      : Palette::styleSheetColor(Palette::missed));
    }
    m_rangeBar->setStatistics(s, shown);
    m_griChart->setStatistics(s);
    m_eventsLabel->setText(::eventsText(s, shown));
    m_chart->setStatistics(s, shown, m_lowerLimit, m_upperLimit);
}

void StatisticsWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
}

bool StatisticsWindow::event(QEvent *event)
{
    // The limits may have changed in the setup dialog meanwhile.
    if (event->type() == QEvent::WindowActivate)
        refresh();
    return QWidget::event(event);
}

void StatisticsWindow::diaryChanged()
{
    // One refresh for a burst of changes; a hidden window catches up when shown.
    if (m_refreshQueued || !isVisible())
        return;
    m_refreshQueued = true;
    QTimer::singleShot(0, this, &StatisticsWindow::refresh);
}

void StatisticsWindow::makeReport(ReportOutput output)
{
    if (!m_session)
        return;
    ReportRequest request;
    request.from = m_statistics.from;
    request.to = m_statistics.to;
    request.unit = unit();
    QString problem;
    const std::optional<ReportData> data = reportOf(*m_session, request, &problem);
    if (!data)
        UserMessage::error(this, tr("Report"), problem);
    else if (output == ReportOutput::Printer)
        Report::printReport(this, *data);
    else
        Report::savePdfAs(this, *data);
}
