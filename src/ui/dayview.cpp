// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dayview.h"

#include "analysis/glucoserange.h"
#include "analysis/statisticstext.h"
#include "core/clock.h"
#include "core/entrytext.h"
#include "ui/daychart.h"
#include "ui/dayentriesmodel.h"
#include "ui/listbox.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableView>
#include <QTextCharFormat>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

QString longYearFormat(const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString unitsText(double units)
{
    return shownDecimal(QString::fromLatin1(decimalText(std::llround(units * 100)))) +
           QStringLiteral(" U");
}

std::optional<double> sum(std::optional<double> a, std::optional<double> b)
{
    if (!a || !b)
        return std::nullopt;
    return *a + *b;
}

constexpr int figureCount = 10;

} // namespace

DayView::DayView(DiaryModel *list, const DayChartSettings &settings, QWidget *parent)
    : QWidget(parent), m_list(list), m_settings(settings), m_chart(new DayChart),
      m_entries(new DayEntriesModel(list, this)), m_entriesView(new QTableView),
      m_dateEdit(new QDateEdit), m_calendar(new QCalendarWidget)
{
    // Like the other views: closing deletes it and never keeps the program running.
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);

    auto *steps = new QHBoxLayout;
    const auto button = [&](QAction *action) {
        auto *b = new QToolButton;
        b->setDefaultAction(action);
        steps->addWidget(b);
    };
    button(
        addStep(tr("First"), tr("First day with entries"), Qt::Key_Home, &DayView::showFirstDay));
    button(addStep(tr("\u25c0 Entries"), tr("Previous day with entries"),
                   QKeySequence(Qt::CTRL | Qt::Key_Left), &DayView::showPreviousDayWithEntries));
    button(
        addStep(tr("\u25c0 Week"), tr("A week back"), Qt::Key_PageUp, &DayView::showPreviousWeek));
    button(addStep(tr("\u25c0 Day"), tr("Previous day"), Qt::Key_Left, &DayView::showPreviousDay));
    m_dateEdit->setCalendarPopup(true);
    m_dateEdit->setCalendarWidget(m_calendar);
    m_dateEdit->setDisplayFormat(dateFormat());
    m_dateEdit->setAccessibleName(tr("Day shown"));
    steps->addWidget(m_dateEdit);
    button(addStep(tr("Day \u25b6"), tr("Next day"), Qt::Key_Right, &DayView::showNextDay));
    button(addStep(tr("Week \u25b6"), tr("A week on"), Qt::Key_PageDown, &DayView::showNextWeek));
    button(addStep(tr("Entries \u25b6"), tr("Next day with entries"),
                   QKeySequence(Qt::CTRL | Qt::Key_Right), &DayView::showNextDayWithEntries));
    button(
        addStep(tr("Newest"), tr("Newest day with entries"), Qt::Key_End, &DayView::showNewestDay));
    steps->addStretch();
    m_weekAction = new QAction(tr("&Week"), this);
    m_weekAction->setCheckable(true);
    m_weekAction->setToolTip(tr("The seven days from Monday to Sunday"));
    connect(m_weekAction, &QAction::toggled, this, &DayView::setWeekMode);
    button(m_weekAction);

    auto *figures = new QGridLayout;
    figures->setHorizontalSpacing(12);
    figures->setVerticalSpacing(2);
    for (int i = 0; i < figureCount; ++i) {
        m_figureLabels.push_back(new QLabel);
        m_figureValues.push_back(new QLabel);
        m_figureValues.back()->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        figures->addWidget(m_figureLabels.back(), i, 0);
        figures->addWidget(m_figureValues.back(), i, 1);
    }
    figures->setRowStretch(figureCount, 1);

    // The entries as the list shows them.
    m_entriesView->setModel(m_entries);
    m_entriesView->setAccessibleName(tr("Entries of the day"));
    m_entriesView->horizontalHeader()->hide();
    m_entriesView->verticalHeader()->hide();
    m_entriesView->setShowGrid(false);
    m_entriesView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_entriesView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_entriesView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_entriesView->setWordWrap(false);
    m_entriesView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_entriesView->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_entriesView->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_entriesView->horizontalHeader()->setStretchLastSection(true);
    connect(m_entriesView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (!m_choosing && current.isValid())
                    emit entryChosen(m_entries->listRow(current.row()));
            });

    auto *below = new QHBoxLayout;
    below->addLayout(figures);
    below->addSpacing(16);
    below->addWidget(m_entriesView, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(steps);
    layout->addWidget(m_chart, 3);
    m_chart->setFocus();
    layout->addLayout(below, 2);

    connect(m_dateEdit, &QDateEdit::dateChanged, this, &DayView::showDay);
    connect(m_calendar, &QCalendarWidget::currentPageChanged, this, &DayView::markMonth);
    connect(m_chart, &DayChart::dayClicked, this, [this](QDate day) {
        setWeekMode(false);
        showDay(day);
    });
    connect(list, &QAbstractItemModel::rowsInserted, this, &DayView::listChanged);
    connect(list, &QAbstractItemModel::rowsRemoved, this, &DayView::listChanged);
    connect(list, &QAbstractItemModel::modelReset, this, &DayView::listChanged);
    connect(list, &QAbstractItemModel::layoutChanged, this, &DayView::listChanged);
    // No view outlives the diary it shows.
    connect(list, &QObject::destroyed, this, &QObject::deleteLater);

    const QDate newest = list->diary().days().last();
    showDay(newest.isValid() ? newest : Clock::today());
    markMonth(m_calendar->yearShown(), m_calendar->monthShown());
}

DayView::~DayView() = default;

QAction *DayView::addStep(const QString &label, const QString &name, const QKeySequence &key,
                          void (DayView::*step)())
{
    auto *action = new QAction(label, this);
    action->setShortcut(key);
    action->setToolTip(QStringLiteral("%1 (%2)").arg(name, key.toString(QKeySequence::NativeText)));
    connect(action, &QAction::triggered, this, step);
    addAction(action);
    return action;
}

QString DayView::dateFormat()
{
    return longYearFormat(QLocale());
}

QString DayView::dayText(const QDate &day)
{
    const QLocale locale;
    return locale.toString(day, QStringLiteral("ddd ")) +
           locale.toString(day, longYearFormat(locale));
}

void DayView::setSettings(const DayChartSettings &settings)
{
    if (settings == m_settings)
        return;
    m_settings = settings;
    present(true);
}

void DayView::showDay(const QDate &day)
{
    if (!day.isValid() || day == m_day)
        return;
    m_day = day;
    {
        const QSignalBlocker blocker(m_dateEdit);
        m_dateEdit->setDate(day);
    }
    // The calendar opens on the day's month, its days with entries marked.
    m_calendar->setSelectedDate(day);
    setWindowTitle(tr("Day View \u2013 %1").arg(dayText(day)));
    present(true);
    emit dayChanged(day);
}

void DayView::setWeekMode(bool on)
{
    if (on == m_weekMode)
        return;
    m_weekMode = on;
    m_weekAction->setChecked(on);
    present(true);
    emit weekModeChanged(on);
}

void DayView::showEntry(int row)
{
    if (!m_list || row < 0 || row >= m_list->rowCount())
        return;
    showDay(m_list->diary().date(row));
    const int tableRow = m_entries->rowOf(row);
    m_choosing = true;
    if (tableRow >= 0)
        m_entriesView->setCurrentIndex(m_entries->index(tableRow, 0));
    else
        m_entriesView->setCurrentIndex(QModelIndex());
    m_choosing = false;
}

void DayView::showPreviousDay()
{
    showDay(m_day.addDays(-1));
}

void DayView::showNextDay()
{
    showDay(m_day.addDays(1));
}

void DayView::showPreviousWeek()
{
    showDay(m_day.addDays(-7));
}

void DayView::showNextWeek()
{
    showDay(m_day.addDays(7));
}

void DayView::showFirstDay()
{
    if (m_list)
        showDay(m_list->diary().days().first());
}

void DayView::showNewestDay()
{
    if (m_list)
        showDay(m_list->diary().days().last());
}

void DayView::showPreviousDayWithEntries()
{
    if (m_list)
        showDay(m_list->diary().days().before(m_day));
}

void DayView::showNextDayWithEntries()
{
    if (m_list)
        showDay(m_list->diary().days().after(m_day));
}

std::vector<QDate> DayView::shownDays() const
{
    if (!m_weekMode)
        return {m_day};
    std::vector<QDate> days;
    const QDate monday = m_day.addDays(1 - m_day.dayOfWeek());
    for (int i = 0; i < DayScale::weekDays; ++i)
        days.push_back(monday.addDays(i));
    return days;
}

const DayContent &DayView::chosenContent() const
{
    return m_weekMode ? m_contents[size_t(m_day.dayOfWeek() - 1)] : m_contents.front();
}

void DayView::present(bool force)
{
    if (!m_list)
        return;
    const Diary &diary = m_list->diary();
    std::vector<DayContent> contents;
    for (const QDate &day : shownDays())
        contents.push_back(dayContent(diary, day, m_settings.lowerLimit, m_settings.upperLimit));
    const bool same =
        !force && contents.size() == m_contents.size() &&
        std::equal(contents.begin(), contents.end(), m_contents.begin(),
                   [](const DayContent &a, const DayContent &b) { return a.showsSameAs(b); });
    m_contents = std::move(contents);
    std::vector<int> rows;
    for (const DayEntry &entry : chosenContent().entries)
        rows.push_back(entry.row);
    if (same) {
        m_entries->renumberRows(rows);
        return;
    }
    m_chart->showDays(m_contents, m_day, m_settings);
    showFigures(chosenContent().figures);
    m_entries->setRows(rows);
}

void DayView::listChanged()
{
    present(false);
    // A day of another month may have gained or lost its entries.
    markMonth(m_calendar->yearShown(), m_calendar->monthShown());
}

void DayView::showFigures(const GlucoseStatistics &s)
{
    const GlucoseUnit unit = m_settings.unit;
    const auto glucose = [unit](std::optional<double> mgPerDl) {
        return mgPerDl ? formatGlucose(mgPerDl, unit) + u' ' + unitName(unit)
                       : QStringLiteral("\u2013");
    };
    const auto bound = [unit](int mgPerDl) { return formatGlucose(mgPerDl, unit); };
    const RangeBounds target = rangeBounds(GlucoseRange::InRange);
    const std::pair<QString, QString> lines[figureCount] = {
        {tr("Readings"), QString::number(s.readings)},
        {tr("Mean glucose"), glucose(s.mean)},
        {tr("Lowest"), glucose(s.min)},
        {tr("Highest"), glucose(s.max)},
        {tr("Time below %1").arg(bound(target.lowest)),
         formatPercent(sum(s.lowPercent, s.veryLowPercent))},
        {tr("Time in range %1\u2013%2").arg(bound(target.lowest), bound(target.highest)),
         formatPercent(s.inRangePercent)},
        {tr("Time above %1").arg(bound(target.highest)),
         formatPercent(sum(s.highPercent, s.veryHighPercent))},
        {tr("Carbs"), QString::number(std::llround(s.carbsPerDay * s.days)) + QStringLiteral(" g")},
        {tr("Bolus insulin"), unitsText(s.bolusPerDay * s.days)},
        {tr("Basal insulin"), unitsText(s.basalPerDay * s.days)},
    };
    for (int i = 0; i < figureCount; ++i) {
        m_figureLabels[size_t(i)]->setText(lines[i].first);
        m_figureValues[size_t(i)]->setText(lines[i].second);
    }
}

QStringList DayView::figureTexts() const
{
    QStringList texts;
    for (const QLabel *value : m_figureValues)
        texts << value->text();
    return texts;
}

void DayView::markMonth(int year, int month)
{
    if (!m_list)
        return;
    m_calendar->setDateTextFormat(QDate(), QTextCharFormat());
    QTextCharFormat marked;
    marked.setFontWeight(QFont::Bold);
    marked.setFontUnderline(true);
    // The page's six weeks as the calendar lays them out: from the week of
    // the 1st, or a whole week before when the month starts the week.
    const QDate first(year, month, 1);
    const int before = (first.dayOfWeek() - int(m_calendar->firstDayOfWeek()) + 6) % 7 + 1;
    const QDate start = first.addDays(-before);
    for (const QDate &day : m_list->diary().days().between(start, start.addDays(6 * 7 - 1)))
        m_calendar->setDateTextFormat(day, marked);
}
