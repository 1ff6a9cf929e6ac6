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

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The columns of a line of figures; the first grid column of the risk
// figures, after a gap; and the rows of the risk chart below them.
constexpr int lineColumns = 4;
constexpr int riskColumn = lineColumns + 1;
constexpr int riskChartRow = 9;
constexpr int riskChartRows = 14;

} // namespace

StatisticsWindow::StatisticsWindow(DiarySession *session)
    : QWidget(nullptr), m_session(session), m_chooser(new PeriodChooser(true)),
      m_unitBox(new QComboBox), m_compareBox(new QCheckBox(tr("&Compare with the period before"))),
      m_periodLabel(new QLabel), m_warningLabel(new QLabel), m_figureGrid(new QGridLayout),
      m_rangeBar(new RangeBar), m_griChart(new GriChart), m_eventsLabel(new QLabel),
      m_chart(new AgpChart), m_buttonRow(new QHBoxLayout)
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
    choices->addWidget(m_compareBox);
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
    // Under the labels, values and targets: the changes' column takes no
    // room unless there are changes.
    m_figureGrid->addLayout(risk, riskChartRow, riskColumn, riskChartRows, lineColumns - 1);
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
    connect(m_compareBox, &QCheckBox::toggled, this, &StatisticsWindow::refresh);
    if (session) {
        connect(&session->document(), &DiaryDocument::rowsChanged, this,
                &StatisticsWindow::diaryChanged);
        connect(session, &DiarySession::preferencesChanged, this, &StatisticsWindow::diaryChanged);
    }
    refresh();
    // After an import of last year, the first look shows last year, not
    // nothing. Only then is the whole diary searched for its newest reading.
    if (m_statistics.readings > 0 || !session)
        return;
    const QDate today = Clock::today();
    const QDate end = firstLookEnd(session->diary(), today);
    if (end == today)
        return;
    m_firstLookNote = firstLookNote();
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
    for (const auto *rows : {&m_coreRows, &m_riskRows}) {
        for (const FigureRow &row : *rows)
            texts << row.value->text();
    }
    return texts;
}

QStringList StatisticsWindow::changeTexts() const
{
    QStringList texts;
    for (const auto *rows : {&m_coreRows, &m_riskRows}) {
        for (const FigureRow &row : *rows)
            texts << row.change->text();
    }
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
    const TargetSet targets = m_session ? m_session->preferences().targets : TargetSet::Standard;
    m_statistics = computeStatistics(diary, {days.first, days.second, m_lowerLimit, m_upperLimit,
                                             targets, m_compareBox->isChecked()});
    present();
}

void StatisticsWindow::present()
{
    const GlucoseStatistics &s = m_statistics;
    const GlucoseUnit shown = unit();
    if (s.to < s.from) {
        m_periodLabel->setText(tr("The period ends before it starts."));
    } else {
        QStringList texts{tr("%1 to %2 (%3 days)")
                              .arg(s.from.toString(Qt::ISODate), s.to.toString(Qt::ISODate))
                              .arg(s.days)};
        for (const QString &text : {m_firstLookNote, comparisonText(s)}) {
            if (!text.isEmpty())
                texts << text;
        }
        m_periodLabel->setText(texts.join(u'\n'));
    }
    const QStringList warnings = statisticsWarnings(s);
    m_warningLabel->setText(warnings.join(u'\n'));
    m_warningLabel->setVisible(!warnings.isEmpty());

    showLines(m_coreRows, statisticsLines(s, shown, m_lowerLimit, m_upperLimit), 0);
    showLines(m_riskRows, riskLines(s, shown), riskColumn);
    m_rangeBar->setStatistics(s, shown);
    m_griChart->setStatistics(s);
    m_eventsLabel->setText(::eventsText(s, shown));
    m_chart->setStatistics(s, shown, m_lowerLimit, m_upperLimit);
}

void StatisticsWindow::showLines(std::vector<FigureRow> &rows,
                                 const std::vector<StatisticsLine> &lines, int column)
{
    // Another set of targets has other lines: none of the last stays behind.
    while (rows.size() > lines.size()) {
        for (QLabel *label :
             {rows.back().label, rows.back().value, rows.back().target, rows.back().change})
            delete label;
        rows.pop_back();
    }
    while (rows.size() < lines.size()) {
        const int row = int(rows.size()) + 1; // under the header
        rows.push_back({new QLabel, new QLabel, new QLabel, new QLabel});
        rows.back().value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_figureGrid->addWidget(rows.back().label, row, column);
        m_figureGrid->addWidget(rows.back().value, row, column + 1);
        m_figureGrid->addWidget(rows.back().target, row, column + 2);
        m_figureGrid->addWidget(rows.back().change, row, column + 3);
    }
    const auto color = [](std::optional<bool> good) {
        return !good ? QString() : Palette::styleSheetColor(*good ? Palette::met : Palette::missed);
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        const StatisticsLine &line = lines[i];
        const FigureRow &row = rows[i];
        row.label->setText(line.label);
        row.value->setText(line.value);
        row.target->setText(targetWithMark(line));
        row.target->setStyleSheet(color(line.met));
        // Green in the reader's favour; without a change the column takes no room.
        row.change->setText(line.change);
        row.change->setStyleSheet(color(line.favourable));
        row.change->setHidden(line.change.isEmpty());
    }
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
    request.targets = m_statistics.targetSet;
    request.compare = m_compareBox->isChecked();
    QString problem;
    const std::optional<ReportData> data = reportOf(*m_session, request, &problem);
    if (!data)
        UserMessage::error(this, tr("Report"), problem);
    else if (output == ReportOutput::Printer)
        Report::printReport(this, *data);
    else
        Report::savePdfAs(this, *data);
}
