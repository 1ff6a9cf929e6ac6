// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the files of a zip archive held in memory, as platforms export a
// set of CSV files: stored or deflated members, no encryption, no ZIP64.
// Every offset and size is checked against the archive before it is used,
// and nothing unpacks to more than the limit given, nor to more than a
// hundred times the archive's size (beyond a few megabytes).
#ifndef ZIPFILE_H
#define ZIPFILE_H

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

class ZipFile
{
public:
    struct Member
    {
        QString name; // with its folders: "Insulin data/bolus_data_1.csv"
        qint64 dataOffset = 0;
        qint64 packedSize = 0;
        qint64 size = 0;
        quint32 crc = 0;
        int method = 0;
        bool folder() const { return name.endsWith(u'/'); }
    };

    // A local file header's signature: what every zip archive begins with.
    static bool isZip(QByteArrayView data) { return data.startsWith("PK\x03\x04"); }

    // Reads the list of members; false with error() set when the archive is
    // damaged, uses what is not read here, or unpacks to too much.
    // data must outlive the reader.
    bool open(QByteArrayView data, qint64 limit);
    const std::vector<Member> &members() const { return m_members; }
    // A member's contents, checked against its size and checksum.
    bool read(const Member &member, QByteArray &contents);
    const QString &error() const { return m_error; }

private:
    bool fail(const QString &why);
    bool readMember(qint64 &pos, qint64 end);

    QByteArrayView m_data;
    std::vector<Member> m_members;
    QString m_error;
};

#endif
