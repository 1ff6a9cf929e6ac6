// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/reportrenderer.h"

#include "analysis/statisticstext.h"
#include "analysis/targetset.h"
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
    // Without shaping there are no ligatures, so "fi" in the PDF's text is
    // two letters that a search finds. (Letter spacing did that too, but a
    // PDF spaces the letters ten times as wide as the font measures them,
    // so nothing measured would fit.)
    font.setStyleStrategy(QFont::PreferNoShaping);
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

// s cut to width with an ellipsis, measured with the painter's font.
QString fitted(const QPainter &painter, const QString &s, double width)
{
    return QFontMetricsF(painter.font()).elidedText(s, Qt::ElideRight, std::max(0.0, width));
}

// The lines of s broken at blanks to fit width; a word wider than width
// stands alone (and is cut when painted). Lines are broken a little short
// of the width they are then cut to, so that rounding never cuts them.
constexpr double wrapSlack = 2;
QStringList wrapped(const QFontMetricsF &metrics, const QString &s, double width)
{
    QStringList lines;
    QString line;
    for (const QString &word : s.split(u' ', Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + u' ' + word;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
            lines << line;
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

// Paints s wrapped to width in at most maxLines lines step apart, from the
// first baseline on; the last line takes the rest, cut to fit. Returns the
// lines painted.
int paintWrapped(QPainter &painter, double x, double baseline, double width, double step,
                 const QString &s, int maxLines)
{
    QStringList lines = wrapped(QFontMetricsF(painter.font()), s, width - wrapSlack);
    if (maxLines < 1)
        return 0;
    if (lines.size() > maxLines) {
        const QStringList rest = lines.mid(maxLines - 1);
        lines = lines.mid(0, maxLines - 1) << rest.join(u' ');
    }
    for (const QString &line : lines) {
        text(painter, x, baseline, fitted(painter, line, width));
        baseline += step;
    }
    return int(lines.size());
}

void heading(QPainter &painter, double x, double top, double width, const QString &s)
{
    painter.setFont(boldReportFont(10));
    painter.setPen(ink);
    text(painter, x, top + 12, fitted(painter, s, width));
}

// Doses are kept in hundredths; shown with the locale's decimal mark.
QString doseText(qint64 hundredths)
{
    return shownDecimal(QString::fromLatin1(decimalText(hundredths))) + QStringLiteral(" U");
}

// The title, then the period and the comparison, then the warnings, each
// wrapped in the lines left: no text runs past the box.
void paintTitle(QPainter &painter, const ReportData &data, const QRectF &box)
{
    painter.setPen(ink);
    painter.setFont(boldReportFont(16));
    text(painter, box.left(), box.top() + 15,
         fitted(painter, ReportText::tr("Glucose report"), box.width()));
    constexpr double step = 11;
    double baseline = box.top() + 29;
    const auto paragraph = [&](const QString &s) {
        const int room = int((box.bottom() - baseline) / step) + 1;
        baseline += step * paintWrapped(painter, box.left(), baseline, box.width(), step, s, room);
    };
    painter.setFont(reportFont(9));
    paragraph(
        ReportText::tr("Period %1, made on %2, values in %3")
            .arg(periodText(data), isoDate(data.request.madeOn), unitName(data.request.unit)));
    paragraph(comparisonText(data.statistics));
    painter.setPen(QColor(Palette::warning));
    painter.setFont(boldReportFont(9));
    for (const QString &warning : statisticsWarnings(data.statistics))
        paragraph(warning);
}

// The figures in columns: labels, values aligned right, targets coloured as
// met or missed and, against the period before, the changes coloured by
// whether they are in the reader's favour. Labels too long for the room
// the other columns leave take a smaller font, then are cut.
void paintStatistics(QPainter &painter, const ReportData &data, const QRectF &box)
{
    std::vector<StatisticsLine> lines = statisticsLines(
        data.statistics, data.request.unit, data.request.lowerLimit, data.request.upperLimit);
    const std::vector<StatisticsLine> risk = riskLines(data.statistics, data.request.unit);
    lines.insert(lines.end(), risk.begin(), risk.end());
    constexpr double gap = 8;
    double labelWidth = 0, valueWidth = 0, targetWidth = 0, changeWidth = 0, room = 0;
    for (int size = 8; size >= 6; --size) {
        painter.setFont(reportFont(size));
        labelWidth = valueWidth = targetWidth = changeWidth = 0;
        for (const StatisticsLine &line : lines) {
            if (!line.value.isEmpty()) // a heading spans the columns
                labelWidth = std::max(labelWidth, advance(painter, line.label));
            if (!line.note)
                valueWidth = std::max(valueWidth, advance(painter, line.value));
            targetWidth = std::max(targetWidth, advance(painter, targetWithMark(line)));
            changeWidth = std::max(changeWidth, advance(painter, line.change));
        }
        room = box.width() - valueWidth - targetWidth - changeWidth - 3 * gap;
        if (labelWidth <= room)
            break;
    }
    labelWidth = std::min(labelWidth, room);
    const double valueRight = box.left() + labelWidth + gap + valueWidth;
    const double targetX = valueRight + gap;
    const double changeX = targetX + targetWidth + gap;
    const double step = box.height() / double(lines.size());
    const QFont font = painter.font();
    QFont bold = font;
    bold.setBold(true);
    double baseline = box.top() + step - 2;
    for (const StatisticsLine &line : lines) {
        painter.setPen(ink);
        if (line.value.isEmpty()) { // a heading over the lines below it
            painter.setFont(bold);
            text(painter, box.left(), baseline, fitted(painter, line.label, box.width()));
            painter.setFont(font);
            baseline += step;
            continue;
        }
        text(painter, box.left(), baseline, fitted(painter, line.label, labelWidth));
        if (line.note) { // beyond the columns of figures, which it has none of
            double x = valueRight - valueWidth;
            const double width = advance(painter, line.value);
            if (x + width > box.right()) // nearer its label rather than cut
                x = std::max(box.left() + std::min(labelWidth, advance(painter, line.label)) + gap,
                             box.right() - width);
            text(painter, x, baseline, fitted(painter, line.value, box.right() - x));
        } else {
            textRight(painter, valueRight, baseline, line.value);
        }
        if (!line.target.isEmpty()) {
            painter.setPen(!line.met ? quiet : QColor(*line.met ? Palette::met : Palette::missed));
            text(painter, targetX, baseline, targetWithMark(line));
        }
        if (!line.change.isEmpty()) {
            painter.setPen(!line.favourable   ? quiet
                           : *line.favourable ? QColor(Palette::met)
                                              : QColor(Palette::missed));
            text(painter, changeX, baseline, line.change);
        }
        baseline += step;
    }
}

// The bar with its labels in the largest font that fits left of right.
void paintRangeBar(QPainter &painter, const ReportData &data, const QRectF &bar, double right)
{
    Charts::ChartStyle style;
    for (int size = 8;; --size) {
        style = chartStyle(size);
        const QFontMetricsF metrics(style.font);
        double widest = 0;
        for (GlucoseRange range : glucoseRanges) {
            widest = std::max(widest, metrics.horizontalAdvance(Charts::rangeBarLabel(
                                          data.statistics, range, data.request.unit)));
        }
        if (size == 6 || Charts::rangeBarTextLeft(bar, style) + widest <= right - wrapSlack)
            break;
    }
    style.text = ink;
    Charts::paintRangeBar(painter, bar, data.statistics, data.request.unit, style);
}

// The risk chart, then the events (and those of the period before) wrapped
// between its left edge and right, above bottom.
void paintGri(QPainter &painter, const ReportData &data, const QRectF &plot, double right,
              double bottom)
{
    painter.setPen(ink);
    painter.setFont(boldReportFont(8));
    text(painter, plot.left(), plot.top() - 4,
         fitted(painter, ReportText::tr("Glycaemia risk index"), right - plot.left()));
    Charts::ChartStyle style = chartStyle(7);
    style.text = ink;
    Charts::paintGri(painter, plot, data.statistics, style);
    painter.setPen(ink);
    painter.setFont(reportFont(8));
    constexpr double step = 10;
    double baseline = plot.bottom() + 20;
    const auto paragraph = [&](const QString &s) {
        const int room = int((bottom - baseline) / step) + 1;
        baseline +=
            step * paintWrapped(painter, plot.left(), baseline, right - plot.left(), step, s, room);
    };
    paragraph(eventsText(data.statistics, data.request.unit));
    const QString before =
        data.statistics.previous ? eventsText(*data.statistics.previous, data.request.unit) : "";
    if (!before.isEmpty()) {
        painter.setPen(quiet);
        paragraph(ReportText::tr("Period before: %1").arg(before));
    }
}

void paintAgp(QPainter &painter, const ReportData &data, const QRectF &plot, double width)
{
    heading(painter, plot.left() - 30, plot.top() - headingHeight, width,
            ReportText::tr("Ambulatory glucose profile: median, 25-75 and 5-95 %"));
    Charts::paintAgp(painter, plot, data.statistics, data.request.unit,
                     {data.request.lowerLimit, data.request.upperLimit}, chartStyle(7));
    if (data.statistics.readings == 0) {
        painter.setPen(quiet);
        painter.setFont(reportFont(9));
        painter.drawText(
            plot, Qt::AlignCenter,
            fitted(painter, ReportText::tr("No readings in this period"), plot.width()));
    }
}

void paintCurve(QPainter &painter, const ReportDay &day, const QRectF &cell,
                const TargetGoals &target)
{
    const QRectF plot = curvePlot(cell);
    painter.setFont(reportFont(7));
    painter.setPen(ink);
    text(painter, cell.left() + 2, cell.top() + curveLabelHeight - 1,
         fitted(painter, dayName(day.date), cell.width() - 4));
    painter.fillRect(QRectF(QPointF(plot.left(), curveY(target.high, plot)),
                            QPointF(plot.right(), curveY(target.low, plot))),
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
        .arg(glucose, QString::number(day.carbs) + QStringLiteral(" g"), doseText(day.bolus),
             doseText(day.basal));
}

// The summary stands right of the day's name, wrapped in the room left.
constexpr double summaryIndent = 110;
QStringList summaryLines(const ReportDay &day, GlucoseUnit unit, double contentWidth)
{
    return wrapped(QFontMetricsF(reportFont(8)), daySummary(day, unit),
                   contentWidth - summaryIndent - wrapSlack);
}

// An entry's value with its unit: "112 mg/dL", "49 g", "7.53 U".
QString entryValue(const LogbookEntry &e, GlucoseUnit unit)
{
    const int type = typeIndex(e.type);
    if (type == glucoseType)
        return formatGlucose(e.value, unit) + u' ' + unitName(unit);
    const QString number = e.fraction ? shownDecimal(QString::fromLatin1(decimalText(e.value)))
                                      : QString::number(e.value);
    return number + unitSuffix(type);
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
    text(painter, content.left(), baseline,
         fitted(painter, header, piece.continued ? content.width() : summaryIndent - 4));
    painter.setFont(reportFont(8));
    if (!piece.continued) {
        const QStringList summary = summaryLines(day, unit, content.width());
        for (int i = 0; i < piece.headerLines && i < summary.size(); ++i) {
            text(painter, content.left() + summaryIndent, baseline + i * logbookLineHeight,
                 fitted(painter, summary[i], content.width() - summaryIndent));
        }
    }
    baseline += (piece.headerLines - 1) * logbookLineHeight;
    const double column = content.width() / logbookColumns;
    constexpr double timeWidth = 28;
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
            const double x = content.left() + 10 + c * column;
            painter.setPen(quiet);
            text(painter, x, baseline, time);
            painter.setPen(ink);
            // The value stays whole; a long type name gives way.
            const QString value = u' ' + entryValue(e, unit);
            const double room = column - timeWidth - 4;
            const QString type = fitted(painter, e.type, room - advance(painter, value));
            text(painter, x + timeWidth, baseline, fitted(painter, type + value, room));
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
    const QString page_ = ReportText::tr("page %1 of %2").arg(pageIndex + 1).arg(pageCount);
    textRight(painter, c.right(), baseline, page_);
    text(painter, c.left(), baseline,
         fitted(painter, ReportText::tr("Glucose report ") + periodText(data),
                c.width() - advance(painter, page_) - 12));
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
    std::vector<int> headerLines;
    headerLines.reserve(data.days.size());
    for (const ReportDay &day : data.days) {
        headerLines.push_back(
            int(summaryLines(day, data.request.unit, contentRect(page).width()).size()));
    }
    return ReportLayout::plan(page, logbookSizes(data), headerLines);
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
        paintRangeBar(painter, data, layout.rangeBar, content.right());
        paintGri(painter, data, layout.gri, content.right(), layout.statistics.bottom());
        paintAgp(painter, data, layout.agp, content.width());
        heading(painter, content.left(), layout.curvesTop, content.width(),
                ReportText::tr("Daily glucose, most recent week first"));
    } else if (pageIndex < plan.firstLogbookPage) {
        heading(painter, content.left(), content.top(), content.width(),
                ReportText::tr("Daily glucose, continued"));
    } else {
        heading(painter, content.left(), content.top(), content.width(),
                ReportText::tr("Logbook, newest day first"));
    }
    const TargetGoals &target = targetGoals(data.statistics.targetSet);
    for (size_t row = 0; row < plan.curveRows.size(); ++row) {
        if (plan.curveRows[row].page != pageIndex)
            continue;
        for (int column = 0; column < curvesPerRow; ++column) {
            const int back = int(row) * curvesPerRow + curvesPerRow - 1 - column;
            if (back < int(data.days.size()))
                paintCurve(painter, data.days[size_t(back)],
                           curveCell(content, plan.curveRows[row].top, column), target);
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
