// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/importprogress.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QProgressDialog>

namespace {

// The main window's texts.
struct WindowText
{
    Q_DECLARE_TR_FUNCTIONS(Mellidor)
};

} // namespace

std::vector<ImportResult> readImportFiles(QWidget *parent, const QStringList &files)
{
    qint64 total = 0;
    for (const QString &file : files)
        total += std::max<qint64>(QFileInfo(file).size(), 1);
    constexpr int steps = 1000;
    QProgressDialog progress(WindowText::tr("Reading the files..."), WindowText::tr("Cancel"), 0,
                             steps, parent);
    progress.setWindowTitle(WindowText::tr("Import"));
    // The label shows file names: never as markup.
    auto *label = new QLabel(&progress);
    label->setTextFormat(Qt::PlainText);
    progress.setLabel(label);
    progress.setLabelText(WindowText::tr("Reading the files..."));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    // Escape only hides a progress dialog; it must stop the reading too.
    QObject::connect(&progress, &QDialog::rejected, &progress, &QProgressDialog::cancel);
    progress.setValue(0); // starts the half-second clock

    std::vector<ImportResult> results;
    qint64 before = 0; // bytes of the files already read
    for (const QString &file : files) {
        progress.setLabelText(WindowText::tr("Reading \"%1\"...").arg(QFileInfo(file).fileName()));
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
                WindowText::tr("Reading \"%1\" was cancelled.").arg(QFileInfo(file).fileName());
        }
        if (result.cancelled)
            break;
    }
    return results;
}
