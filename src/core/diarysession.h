// SPDX-License-Identifier: GPL-3.0-or-later
// One diary session: the folder of the working directory with its files
// (DiaryFolder), the lock, the document, the settings, the preferences and
// the Nightscout site.
// The window and the commands are thin faces on it. What they share beyond
// it takes a session: an import (import/diaryimport.h), a report's data
// (analysis/reportdata.h).
#ifndef DIARYSESSION_H
#define DIARYSESSION_H

#include "core/diarydocument.h"
#include "core/diaryfolder.h"
#include "core/diarylock.h"
#include "core/importmerge.h"
#include "core/nightscoutsettings.h"
#include "core/preferences.h"
#include "core/settings.h"

#include <QObject>

#include <memory>
#include <vector>

class DiarySession : public QObject
{
    Q_OBJECT
public:
    explicit DiarySession(QObject *parent = nullptr);
    ~DiarySession() override;

    // A file of the folder as messages name it: absolute, native separators.
    static QString shownPath(DiaryFolder::File file = DiaryFolder::File::Diary);

    // Takes the diary's lock; may be called again after a failure. Once
    // asked for, the document tries it again before each write.
    DiaryLock::Result lock()
    {
        m_lockAsked = true;
        return m_lock.tryLock();
    }
    const DiaryLock &diaryLock() const { return m_lock; }
    // Who holds the lock, for "open in another Mellidor%1": " (process 12 on
    // host)", or empty.
    QString lockHolder() const;

    // Makes the document on rows (the window's list; a plain diary of its
    // own when null), reading nothing yet. host tells the person; without
    // one nobody is told and a failed save is not tried again.
    void attach(DiaryRows *rows = nullptr, DocumentHost *host = nullptr);
    // Reads the settings, the preferences, the Nightscout site and the
    // diary, attached first (as attach() does) when it was not. Under the
    // lock, what a stopped run left is tidied up first.
    DiaryFile::LoadResult open(DiaryRows *rows = nullptr, DocumentHost *host = nullptr);

    // After attach().
    DiaryDocument &document() const { return *m_document; }
    const Diary &diary() const { return m_document->diary(); }

    const Settings &settings() const { return m_settings; }
    const Preferences &preferences() const { return m_preferences; }
    // Store and keep them; when the file cannot be written, they hold
    // until the session ends and error says why.
    bool setSettings(const Settings &settings, QString *error);
    bool setPreferences(const Preferences &preferences, QString *error);
    const NightscoutSettings &nightscout() const { return m_nightscout; }
    // As above. Another address starts afresh: the marks of the old site
    // are dropped.
    bool setNightscout(const NightscoutSettings &site, QString *error);

    // The entries of the batches as one step named name, each planned where
    // it belongs and none twice: the counts per batch, and why the step
    // could not be saved (empty when it was, or when nothing was new).
    struct ImportStep
    {
        std::vector<MergeCounts> counts;
        qsizetype added = 0;
        QString saveError;
    };
    ImportStep importBatches(const std::vector<const ImportBatch *> &batches, const QString &name);

signals:
    // setPreferences() changed them, stored or not.
    void preferencesChanged();

private:
    DiaryLock m_lock;
    bool m_lockAsked = false;
    std::unique_ptr<PlainDiaryRows> m_plainRows;
    std::unique_ptr<DocumentHost> m_silentHost;
    DiaryDocument *m_document = nullptr;
    Settings m_settings;
    Preferences m_preferences;
    NightscoutSettings m_nightscout;
};

#endif
