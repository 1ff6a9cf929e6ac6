// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/importprogress.h"

#include "core/csvexport.h"
#include "core/diarychange.h"
#include "core/importmerge.h"
#include "core/outputfile.h"
#include "import/importsummary.h"
#include "ui/mellidor.h"
#include "ui/usermessage.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QProgressDialog>
#include <QUndoStack>

std::vector<ImportResult> readImportFiles(QWidget *parent, const QStringList &files)
{
    qint64 total = 0;
    for (const QString &file : files)
        total += std::max<qint64>(QFileInfo(file).size(), 1);
    constexpr int steps = 1000;
    QProgressDialog progress(Mellidor::tr("Reading the files..."), Mellidor::tr("Cancel"), 0, steps,
                             parent);
    progress.setWindowTitle(Mellidor::tr("Import"));
    // The label shows file names: never as markup.
    auto *label = new QLabel(&progress);
    label->setTextFormat(Qt::PlainText);
    progress.setLabel(label);
    progress.setLabelText(Mellidor::tr("Reading the files..."));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    // Escape only hides a progress dialog; it must stop the reading too.
    QObject::connect(&progress, &QDialog::rejected, &progress, &QProgressDialog::cancel);
    progress.setValue(0); // starts the half-second clock

    std::vector<ImportResult> results;
    qint64 before = 0; // bytes of the files already read
    for (const QString &file : files) {
        progress.setLabelText(Mellidor::tr("Reading \"%1\"...").arg(QFileInfo(file).fileName()));
        results.push_back(readImportFile(file, [&](qint64 done, qint64) {
            // Never the maximum: that would close the dialog between files.
            progress.setValue(int(std::min<qint64>(steps - 1, (before + done) * steps / total)));
            return !progress.wasCanceled();
        }));
        before += std::max<qint64>(QFileInfo(file).size(), 1);
        ImportResult &result = results.back();
        if (progress.wasCanceled() && !result.cancelled) {
            // Cancelled just as the file was done: still cancelled.
            result = ImportResult();
            result.cancelled = true;
            result.error =
                Mellidor::tr("Reading \"%1\" was cancelled.").arg(QFileInfo(file).fileName());
        }
        if (result.cancelled)
            break;
    }
    return results;
}

void Mellidor::importFiles()
{
    const QStringList files = QFileDialog::getOpenFileNames(
        this, Mellidor::tr("Import"), QString(),
        Mellidor::tr("Export files (*.csv *.tsv *.txt *.json);;All files (*)"));
    if (files.isEmpty())
        return;
    std::vector<ImportResult> results = readImportFiles(this, files);

    // All files or none: one refused file leaves the diary as it is.
    QStringList refused;
    bool cancelled = false;
    for (const ImportResult &result : results) {
        if (!result.ok())
            refused << result.error;
        cancelled = cancelled || result.cancelled;
    }
    if (!refused.isEmpty()) {
        // The user's own cancel is no error.
        const auto tell =
            cancelled && refused.size() == 1 ? UserMessage::information : UserMessage::error;
        tell(this, Mellidor::tr("Nothing imported"),
             refused.join(u'\n') + Mellidor::tr("\n\nNothing was imported."));
        return;
    }

    std::vector<const ImportBatch *> batches;
    for (const ImportResult &result : results)
        batches.push_back(&result.batch);
    MergePlan plan = planMerge(listBox->diary(), batches);
    QStringList summary;
    bool mmolRead = false;
    for (size_t i = 0; i < results.size(); ++i) {
        summary << importSummary(QFileInfo(files[int(i)]).fileName(), results[i], plan.counts[i]);
        mmolRead = mmolRead || results[i].mmolReadings > 0;
    }
    results.clear(); // the entries now live in the plan only
    if (!plan.rows.empty())
        undoStack()->push(new InsertEntries(m_document, Mellidor::tr("Import"),
                                            std::move(plan.rows), std::move(plan.texts),
                                            replanMerge));
    const QString text = summary.join(QStringLiteral("\n\n"));
    // People whose files speak mmol/L are asked once whether Mellidor should too.
    if (!mmolRead || m_preferences.glucoseUnit == GlucoseUnit::MmolPerL ||
        m_preferences.mmolOffered) {
        UserMessage::information(this, Mellidor::tr("Import"), text);
        return;
    }
    Preferences chosen = m_preferences;
    chosen.mmolOffered = true;
    if (UserMessage::informationWithQuestion(
            this, Mellidor::tr("Import"), text,
            Mellidor::tr("The glucose readings were in mmol/L. Show glucose in mmol/L from now "
                         "on? (Setup menu, Glucose Unit)")))
        chosen.glucoseUnit = GlucoseUnit::MmolPerL;
    setPreferences(chosen);
}

void Mellidor::exportFile()
{
    const QString path = QFileDialog::getSaveFileName(this, Mellidor::tr("Export"),
                                                      QStringLiteral("mellidor-export.csv"),
                                                      Mellidor::tr("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    QString error;
    qsizetype skipped = 0;
    if (!OutputFile::write(path, exportCsv(listBox->diary(), {}, {}, &skipped), &error))
        UserMessage::error(this, Mellidor::tr("Not exported"),
                           Mellidor::tr("The file \"%1\" cannot be written: %2")
                               .arg(QDir::toNativeSeparators(path), error));
    else if (skipped > 0)
        UserMessage::information(this, Mellidor::tr("Export"), notExportedText(skipped) + u'.');
}
