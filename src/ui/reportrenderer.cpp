// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/reportrenderer.h"

#include "analysis/statisticstext.h"
#include "core/outputfile.h"
#include "ui/chartpainter.h"
#include "ui/palette.h"
#include "ui/usermessage.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>

using namespace ReportLayout;

namespace Report {

namespace {

struct ReportText
{
    Q_DECLARE_TR_FUNCTIONS(Report)
};

// The report's own colours on white paper.
const QColor ink(Palette::paperText);
const QColor quiet(Palette::paperQuiet);
const QColor gridLine(Palette::paperGrid);

QFont reportFont(int size)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(size); // units are points: the painter is scaled to them
    font.setHintingPreference(QFont::PreferNoHinting);
    // Any letter spacing turns ligatures off, so "fi" in the PDF's text is
    // two letters that a search finds.
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.05);
    return font;
}

QFont boldReportFont(int size)
{
    QFont font = reportFont(size);
    font.setBold(true);
    return font;
}

Charts::ChartStyle chartStyle(int fontSize)
{
    Charts::ChartStyle style;
    style.font = reportFont(fontSize);
    style.text = quiet;
    style.grid = gridLine;
    style.emptyBar = Palette::paperEmptyBar;
    style.lineWidth = 0.7;
    style.gap = 3;
    style.swatch = 7;
    return style;
}

QString isoDate(const QDate &date)
{
    return date.toString(Qt::ISODate);
}

QString dayName(const QDate &date)
{
    return QLocale().toString(date, QStringLiteral("ddd yyyy-MM-dd"));
}

QString periodText(const ReportData &data)
{
    const ReportRequest &r = data.request;
    const qint64 days = r.from.daysTo(r.to) + 1;
    return ReportText::tr("%1 to %2 (%3 %4)")
        .arg(isoDate(r.from), isoDate(r.to))
        .arg(days)
        .arg(days == 1 ? ReportText::tr("day") : ReportText::tr("days"));
}

void text(QPainter &painter, double x, double baseline, const QString &s)
{
    painter.drawText(QPointF(x, baseline), s);
}

double advance(const QPainter &painter, const QString &s)
{
    return QFontMetricsF(painter.font()).horizontalAdvance(s);
}

void textRight(QPainter &painter, double right, double baseline, const QString &s)
{
    painter.drawText(QPointF(right - advance(painter, s), baseline), s);
}

void heading(QPainter &painter, double x, double top, const QString &s)
{
    painter.setFont(boldReportFont(10));
    painter.setPen(ink);
    text(painter, x, top + 12, s);
}

void paintTitle(QPainter &painter, const ReportData &data, const QRectF &box)
{
    painter.setPen(ink);
    painter.setFont(boldReportFont(16));
    text(painter, box.left(), box.top() + 15, ReportText::tr("Glucose report"));
    painter.setFont(reportFont(9));
    text(painter, box.left(), box.top() + 29,
         ReportText::tr("Period %1, made on %2, values in %3")
             .arg(periodText(data), isoDate(data.request.madeOn), unitName(data.request.unit)));
    painter.setPen(QColor(Palette::warning));
    painter.setFont(boldReportFont(9));
    double baseline = box.top() + 41;
    for (const QString &warning : statisticsWarnings(data.statistics)) {
        text(painter, box.left(), baseline, warning);
        baseline += 11;
    }
}

// The figures in three columns: labels, values aligned right, and targets
// coloured and marked as met or missed.
void paintStatistics(QPainter &painter, const ReportData &data, const QRectF &box)
{
    std::vector<StatisticsLine> lines = statisticsLines(
        data.statistics, data.request.unit, data.request.lowerLimit, data.request.upperLimit);
    const std::vector<StatisticsLine> risk = riskLines(data.statistics, data.request.unit);
    lines.insert(lines.end(), risk.begin(), risk.end());
    painter.setFont(reportFont(8));
    double labelWidth = 0, valueWidth = 0;
    for (const StatisticsLine &line : lines) {
        labelWidth = std::max(labelWidth, advance(painter, line.label));
        valueWidth = std::max(valueWidth, advance(painter, line.value));
    }
    const double valueRight = box.left() + labelWidth + 12 + valueWidth;
    const double targetX = valueRight + 12;
    const double step = box.height() / double(lines.size());
    double baseline = box.top() + step - 2;
    for (const StatisticsLine &line : lines) {
        painter.setPen(ink);
        text(painter, box.left(), baseline, line.label);
        textRight(painter, valueRight, baseline, line.value);
        if (!line.target.isEmpty()) {
            painter.setPen(!line.met ? quiet : QColor(*line.met ? Palette::met : Palette::missed));
            text(painter, targetX, baseline, targetWithMark(line));
        }
        baseline += step;
    }
}

void paintGri(QPainter &painter, const ReportData &data, const QRectF &plot)
{
    painter.setPen(ink);
    painter.setFont(boldReportFont(8));
    text(painter, plot.left(), plot.top() - 4, ReportText::tr("Glycaemia risk index"));
    Charts::ChartStyle style = chartStyle(7);
    style.text = ink;
    Charts::paintGri(painter, plot, data.statistics, style);
    painter.setPen(ink);
    painter.setFont(reportFont(8));
    text(painter, plot.left(), plot.bottom() + 20, eventsText(data.statistics, data.request.unit));
}

void paintAgp(QPainter &painter, const ReportData &data, const QRectF &plot)
{
    heading(painter, plot.left() - 30, plot.top() - headingHeight,
            ReportText::tr("Ambulatory glucose profile: median, 25-75 and 5-95 %"));
    Charts::paintAgp(painter, plot, data.statistics, data.request.unit,
                     {data.request.lowerLimit, data.request.upperLimit}, chartStyle(7));
    if (data.statistics.readings == 0) {
        painter.setPen(quiet);
        painter.setFont(reportFont(9));
        painter.drawText(plot, Qt::AlignCenter, ReportText::tr("No readings in this period"));
    }
}

void paintCurve(QPainter &painter, const ReportDay &day, const QRectF &cell)
{
    const QRectF plot = curvePlot(cell);
    painter.setFont(reportFont(7));
    painter.setPen(ink);
    text(painter, cell.left() + 2, cell.top() + curveLabelHeight - 1, dayName(day.date));
    painter.fillRect(
        QRectF(QPointF(plot.left(), curveY(180, plot)), QPointF(plot.right(), curveY(70, plot))),
        QColor(Palette::paperTargetBand));
    painter.setPen(QPen(gridLine, 0.4));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    // A gap of more than half an hour breaks the line.
    QPainterPath path;
    int previous = -1000;
    for (const ReportReading &r : day.readings) {
        const QPointF point(curveX(r.minutes, plot), curveY(r.value, plot));
        if (r.minutes - previous > 30)
            path.moveTo(point);
        else
            path.lineTo(point);
        previous = r.minutes;
    }
    painter.strokePath(path, QPen(QColor(Palette::median), 0.5));
}

QString dayHeader(const ReportDay &day, bool continued)
{
    QString s = dayName(day.date);
    if (continued)
        return s + ReportText::tr(" (continued)");
    return s;
}

QString daySummary(const ReportDay &day, GlucoseUnit unit)
{
    QString glucose = ReportText::tr("no readings");
    if (!day.readings.empty())
        glucose = ReportText::tr("%1 readings, mean %2, lowest %3, highest %4 %5")
                      .arg(day.readings.size())
                      .arg(formatGlucose(day.mean, unit), formatGlucose(day.lowest, unit),
                           formatGlucose(day.highest, unit), unitName(unit));
    return ReportText::tr("%1; carbs %2, bolus %3, basal %4")
        .arg(glucose)
        .arg(day.carbs)
        .arg(QString::fromLatin1(decimalText(day.bolus)),
             QString::fromLatin1(decimalText(day.basal)));
}

void paintLogbookPiece(QPainter &painter, const ReportData &data, const LogbookPiece &piece,
                       const QRectF &content)
{
    const ReportDay &day = data.days[size_t(piece.day)];
    const GlucoseUnit unit = data.request.unit;
    double baseline = piece.top + logbookLineHeight - 2;
    painter.setPen(ink);
    painter.setFont(boldReportFont(8));
    const QString header = dayHeader(day, piece.continued);
    text(painter, content.left(), baseline, header);
    if (!piece.continued) {
        painter.setFont(reportFont(8));
        text(painter, content.left() + 110, baseline, daySummary(day, unit));
    }
    painter.setFont(reportFont(8));
    const double column = content.width() / logbookColumns;
    for (int line = piece.firstLine; line < piece.firstLine + piece.lines; ++line) {
        baseline += logbookLineHeight;
        for (int c = 0; c < logbookColumns; ++c) {
            const size_t i = size_t(line * logbookColumns + c);
            if (i >= day.logbook.size())
                break;
            const LogbookEntry &e = day.logbook[i];
            const QString time = e.minutes < 0 ? QStringLiteral("--:--")
                                               : QStringLiteral("%1:%2")
                                                     .arg(e.minutes / 60, 2, 10, QChar('0'))
                                                     .arg(e.minutes % 60, 2, 10, QChar('0'));
            const QString value = e.type == QLatin1String("Glucose")
                                      ? formatGlucose(e.value, unit) + u' ' + unitName(unit)
                                  : e.fraction ? QString::fromLatin1(decimalText(e.value))
                                               : QString::number(e.value);
            const double x = content.left() + 10 + c * column;
            painter.setPen(quiet);
            text(painter, x, baseline, time);
            painter.setPen(ink);
            text(painter, x + 28, baseline, e.type + u' ' + value);
        }
    }
}

void paintFooter(QPainter &painter, const ReportData &data, const QSizeF &page, int pageIndex,
                 int pageCount)
{
    const QRectF c = contentRect(page);
    const double baseline = footerBaseline(page);
    painter.setPen(QPen(gridLine, 0.5));
    painter.drawLine(QPointF(c.left(), baseline - 10), QPointF(c.right(), baseline - 10));
    painter.setFont(reportFont(7));
    painter.setPen(quiet);
    text(painter, c.left(), baseline, ReportText::tr("Glucose report ") + periodText(data));
    textRight(painter, c.right(), baseline,
              ReportText::tr("page %1 of %2").arg(pageIndex + 1).arg(pageCount));
}

std::vector<int> logbookSizes(const ReportData &data)
{
    std::vector<int> sizes;
    sizes.reserve(data.days.size());
    for (const ReportDay &day : data.days)
        sizes.push_back(int(day.logbook.size()));
    return sizes;
}

} // namespace

QSizeF defaultPageSize()
{
    return QPageSize(QPageSize::A4).size(QPageSize::Point);
}

ReportLayout::Plan planFor(const ReportData &data, const QSizeF &page)
{
    return ReportLayout::plan(page, logbookSizes(data));
}

void paintPage(QPainter &painter, const ReportData &data, const ReportLayout::Plan &plan,
               const QSizeF &page, int pageIndex)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF content = contentRect(page);
    if (pageIndex == 0) {
        const FirstPage layout = firstPage(page);
        paintTitle(painter, data, layout.title);
        paintStatistics(painter, data, layout.statistics);
        Charts::ChartStyle barStyle = chartStyle(8);
        barStyle.text = ink;
        Charts::paintRangeBar(painter, layout.rangeBar, data.statistics, data.request.unit,
                              barStyle);
        paintGri(painter, data, layout.gri);
        paintAgp(painter, data, layout.agp);
        heading(painter, content.left(), layout.curvesTop,
                ReportText::tr("Daily glucose, most recent week first"));
    } else if (pageIndex < plan.firstLogbookPage) {
        heading(painter, content.left(), content.top(), ReportText::tr("Daily glucose, continued"));
    } else {
        heading(painter, content.left(), content.top(),
                ReportText::tr("Logbook, newest day first"));
    }
    for (size_t row = 0; row < plan.curveRows.size(); ++row) {
        if (plan.curveRows[row].page != pageIndex)
            continue;
        for (int column = 0; column < curvesPerRow; ++column) {
            const int back = int(row) * curvesPerRow + curvesPerRow - 1 - column;
            if (back < int(data.days.size()))
                paintCurve(painter, data.days[size_t(back)],
                           curveCell(content, plan.curveRows[row].top, column));
        }
    }
    for (const LogbookPiece &piece : plan.logbook) {
        if (piece.page == pageIndex)
            paintLogbookPiece(painter, data, piece, content);
    }
    paintFooter(painter, data, page, pageIndex, plan.pageCount);
    painter.restore();
}

int render(QPagedPaintDevice &device, const ReportData &data)
{
    const QSizeF page = device.pageLayout().fullRect(QPageLayout::Point).size();
    const ReportLayout::Plan plan = planFor(data, page);
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    const double scale = device.logicalDpiX() / 72.0;
    for (int i = 0; i < plan.pageCount; ++i) {
        if (i > 0 && !device.newPage())
            return 0;
        painter.resetTransform();
        painter.scale(scale, scale);
        paintPage(painter, data, plan, page, i);
    }
    return painter.end() ? plan.pageCount : 0;
}

QByteArray pdfBytes(const ReportData &data, int *pageCount)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        writer.setCreator(QStringLiteral("Mellidor"));
        writer.setTitle(ReportText::tr("Glucose report ") + periodText(data));
        const int pages = render(writer, data);
        if (pageCount)
            *pageCount = pages;
    }
    return buffer.data();
}

bool writePdf(const QString &path, const ReportData &data, QString *error, int *pageCount)
{
    int pages = 0;
    const QByteArray bytes = pdfBytes(data, &pages);
    if (pages == 0) {
        *error = ReportText::tr("the report could not be painted.");
        return false;
    }
    if (pageCount)
        *pageCount = pages;
    return OutputFile::write(path, bytes, error);
}

bool savePdfAs(QWidget *parent, const ReportData &data)
{
    const QString suggested = QStringLiteral("glucose-report-%1.pdf").arg(isoDate(data.request.to));
    const QString path = QFileDialog::getSaveFileName(
        parent, ReportText::tr("Save report"), suggested, ReportText::tr("PDF files (*.pdf)"));
    if (path.isEmpty())
        return false;
    QString error;
    if (writePdf(path, data, &error))
        return true;
    UserMessage::error(parent, ReportText::tr("Report"),
                       ReportText::tr("Could not write %1: %2").arg(path, error));
    return false;
}

void printReport(QWidget *parent, const ReportData &data)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(ReportText::tr("Glucose report ") + periodText(data));
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(ReportText::tr("Print report"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (render(printer, data) == 0)
        UserMessage::error(parent, ReportText::tr("Report"),
                           ReportText::tr("The report could not be printed."));
}

} // namespace Report
