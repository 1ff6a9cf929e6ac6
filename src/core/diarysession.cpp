// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/diarysession.h"

#include "core/diarychange.h"

#include <QDir>
#include <QUndoStack>

namespace {

// For a session nobody watches: a failed save is given up at once.
class SilentHost : public DocumentHost
{
public:
    void showError(const QString &, const QString &) override {}
    bool retrySave(const QString &) override { return false; }
};

} // namespace

DiarySession::DiarySession(QObject *parent)
    : QObject(parent), m_lock(DiaryFolder::path(DiaryFolder::File::Diary))
{}

DiarySession::~DiarySession() = default;

QString DiarySession::shownPath(DiaryFolder::File file)
{
    return QDir::toNativeSeparators(QDir::current().absoluteFilePath(DiaryFolder::path(file)));
}

QString DiarySession::lockHolder() const
{
    const QString holder = m_lock.holder();
    return holder.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(holder);
}

DiaryFile::LoadResult DiarySession::open(DiaryRows *rows, DocumentHost *host)
{
    if (!m_document)
        attach(rows, host);
    m_settings = SettingsFile::read(DiaryFolder::path(DiaryFolder::File::Settings));
    m_preferences = PreferencesFile::read(DiaryFolder::path(DiaryFolder::File::Preferences));
    m_nightscout = NightscoutFile::read(DiaryFolder::path(DiaryFolder::File::Nightscout));
    if (m_lockAsked)
        m_document->setLock(&m_lock);
    return m_document->open(DiaryFolder::path(DiaryFolder::File::Diary));
}

void DiarySession::attach(DiaryRows *rows, DocumentHost *host)
{
    if (!rows) {
        m_plainRows = std::make_unique<PlainDiaryRows>();
        rows = m_plainRows.get();
    }
    if (!host) {
        m_silentHost = std::make_unique<SilentHost>();
        host = m_silentHost.get();
    }
    delete m_document;
    m_document = new DiaryDocument(rows, host, this);
}

bool DiarySession::setSettings(const Settings &settings, QString *error)
{
    m_settings = settings;
    return SettingsFile::write(DiaryFolder::path(DiaryFolder::File::Settings), settings, error);
}

bool DiarySession::setPreferences(const Preferences &preferences, QString *error)
{
    const bool changed = preferences != m_preferences;
    m_preferences = preferences;
    const bool stored =
        !changed || PreferencesFile::write(DiaryFolder::path(DiaryFolder::File::Preferences),
                                           preferences, error);
    if (changed)
        emit preferencesChanged();
    return stored;
}

bool DiarySession::setNightscout(const NightscoutSettings &site, QString *error)
{
    const bool sameSite = m_nightscout.isSite(site.url);
    m_nightscout = site;
    if (!sameSite)
        m_nightscout.marks = NightscoutMarks();
    return NightscoutFile::write(DiaryFolder::path(DiaryFolder::File::Nightscout), m_nightscout,
                                 error);
}

DiarySession::ImportStep
DiarySession::importBatches(const std::vector<const ImportBatch *> &batches, const QString &name)
{
    MergePlan plan = planMerge(diary(), batches);
    ImportStep step;
    step.added = qsizetype(plan.rows.size());
    step.counts = std::move(plan.counts);
    if (step.added > 0) {
        m_document->undoStack()->push(new InsertEntries(m_document, name, std::move(plan.rows),
                                                        std::move(plan.texts), replanMerge));
        step.saveError = m_document->lastSaveError();
    }
    return step;
}
