// SPDX-License-Identifier: GPL-3.0-or-later
// The readers of export formats. importfile.cpp tries them in the order of
// its table of formats.
#ifndef READERS_H
#define READERS_H

#include <QByteArrayView>

class EntrySink;
struct JsonRecords;

// Content that opens with '[' or '{' is JSON and goes to the JSON reader
// only, so broken JSON is told as such.
bool looksLikeJson(QByteArrayView data);

// Each reader checks the content first and returns false, reading nothing,
// when the file is not in its format. A reader that knows the format but
// cannot read the file at all refuses it through the sink.
bool readDexcom(QByteArrayView data, EntrySink &sink);
bool readLibreView(QByteArrayView data, EntrySink &sink);
bool readResearchTable(QByteArrayView data, EntrySink &sink);
bool readMySugr(QByteArrayView data, EntrySink &sink);
bool readGlooko(QByteArrayView data, EntrySink &sink);
// A Glooko export zip; any other zip archive is refused.
bool readGlookoZip(QByteArrayView data, EntrySink &sink);
bool readCareLink(QByteArrayView data, EntrySink &sink);
bool readNightscoutJson(const JsonRecords &records, EntrySink &sink);
bool readTidepoolJson(const JsonRecords &records, EntrySink &sink);
bool readTidepoolCsv(QByteArrayView data, EntrySink &sink);
bool readNightscoutTable(QByteArrayView data, EntrySink &sink);
bool readMellidorCsv(QByteArrayView data, EntrySink &sink);
bool readMellidorDiary(QByteArrayView data, EntrySink &sink);

#endif
