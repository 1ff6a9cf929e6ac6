// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/zipfile.h"
#include "import/importtext.h"

#include <zlib.h>

#include <algorithm>

namespace {

constexpr qint64 endRecordSize = 22, directoryEntrySize = 46, localHeaderSize = 30;
constexpr quint32 endSignature = 0x06054b50, directorySignature = 0x02014b50,
                  localSignature = 0x04034b50;
// Deflate packs at most about 1032 to 1; a member said to unpack to more
// than that holds sizes that cannot be true.
constexpr qint64 maxDeflateRatio = 1032;
// Exports pack to a twentieth of their size at the most; an archive that
// unpacks to far more than that is a zip bomb, except a small one.
constexpr qint64 maxArchiveRatio = 100;
constexpr qint64 smallUnpackedSize = qint64(16) << 20;

quint32 le(QByteArrayView data, qint64 pos, int bytes)
{
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | quint8(data[pos + i]);
    return value;
}

} // namespace

bool ZipFile::fail(const QString &why)
{
    m_error = why;
    m_members.clear();
    return false;
}

bool ZipFile::open(QByteArrayView data, qint64 limit)
{
    m_data = data;
    m_members.clear();
    m_error.clear();
    // The end record is last, after a comment of up to 64 KB.
    qint64 end = -1;
    const qint64 lowest = std::max<qint64>(0, data.size() - endRecordSize - 0xffff);
    for (qint64 pos = data.size() - endRecordSize; pos >= lowest; --pos) {
        if (le(data, pos, 4) == endSignature &&
            pos + endRecordSize + le(data, pos + 20, 2) == data.size()) {
            end = pos;
            break;
        }
    }
    if (end < 0)
        return fail(ImportText::tr("its list of files is missing (the archive is cut off or "
                                   "damaged)"));
    const quint32 count = le(data, end + 10, 2), directorySize = le(data, end + 12, 4),
                  directoryOffset = le(data, end + 16, 4);
    if (count == 0xffff || directorySize == 0xffffffff || directoryOffset == 0xffffffff)
        return fail(ImportText::tr("it uses the ZIP64 extension, which Mellidor does not read"));
    if (le(data, end + 4, 4) != 0 || le(data, end + 8, 2) != count)
        return fail(ImportText::tr("it is one part of an archive split into several"));
    if (qint64(directoryOffset) + directorySize > end)
        return fail(ImportText::tr("its list of files lies outside the archive"));
    qint64 pos = directoryOffset, total = 0;
    for (quint32 i = 0; i < count; ++i) {
        if (!readMember(pos, qint64(directoryOffset) + directorySize))
            return false;
        total += m_members.back().size;
        if (total > limit)
            return fail(ImportText::tr("it unpacks to more than %1 MB").arg(limit >> 20));
        if (total > std::max(smallUnpackedSize, qint64(data.size()) * maxArchiveRatio))
            return fail(ImportText::tr("it unpacks to more than %1 times its size, which no "
                                       "export does")
                            .arg(maxArchiveRatio));
    }
    return true;
}

bool ZipFile::readMember(qint64 &pos, qint64 end)
{
    const QByteArrayView d = m_data;
    if (pos + directoryEntrySize > end || le(d, pos, 4) != directorySignature)
        return fail(ImportText::tr("its list of files is damaged"));
    const quint32 flags = le(d, pos + 8, 2), nameLength = le(d, pos + 28, 2),
                  entryLength =
                      directoryEntrySize + nameLength + le(d, pos + 30, 2) + le(d, pos + 32, 2);
    if (pos + entryLength > end)
        return fail(ImportText::tr("its list of files is damaged"));
    Member m;
    const QByteArrayView name = d.sliced(pos + directoryEntrySize, nameLength);
    m.name = flags & 0x800 ? QString::fromUtf8(name) : QString::fromLatin1(name);
    m.method = int(le(d, pos + 10, 2));
    m.crc = le(d, pos + 16, 4);
    m.packedSize = le(d, pos + 20, 4);
    m.size = le(d, pos + 24, 4);
    const qint64 header = le(d, pos + 42, 4);
    pos += entryLength;
    const QString shown = ImportText::tr("the file \"%1\" in it").arg(m.name);
    if (name.isEmpty() || name.contains('\0') || name.contains('\\'))
        return fail(ImportText::tr("it holds a file without a proper name"));
    if (m.packedSize == 0xffffffff || m.size == 0xffffffff || header == 0xffffffff)
        return fail(ImportText::tr("it uses the ZIP64 extension, which Mellidor does not read"));
    if (flags & 0x41)
        return fail(ImportText::tr("%1 is encrypted").arg(shown));
    if (m.method != 0 && m.method != 8)
        return fail(ImportText::tr("%1 is packed with method %2, which Mellidor does not read")
                        .arg(shown)
                        .arg(m.method));
    if ((m.method == 0 && m.packedSize != m.size) ||
        (m.method == 8 && m.size > m.packedSize * maxDeflateRatio + 1024))
        return fail(ImportText::tr("%1 has sizes that cannot be true").arg(shown));
    // The local header repeats the name; the data follows it.
    if (header + localHeaderSize > d.size() || le(d, header, 4) != localSignature ||
        int(le(d, header + 8, 2)) != m.method)
        return fail(ImportText::tr("%1 lies outside the archive or is damaged").arg(shown));
    m.dataOffset = header + localHeaderSize + le(d, header + 26, 2) + le(d, header + 28, 2);
    if (m.dataOffset + m.packedSize > d.size())
        return fail(
            ImportText::tr("%1 lies outside the archive (the archive is cut off)").arg(shown));
    m_members.push_back(m);
    return true;
}

bool ZipFile::read(const Member &member, QByteArray &contents)
{
    const QString shown = ImportText::tr("the file \"%1\" in it").arg(member.name);
    const QByteArrayView packed = m_data.sliced(member.dataOffset, member.packedSize);
    contents = QByteArray();
    // The list stays valid: the other members may still be read.
    const auto broken = [this](const QString &why) {
        m_error = why;
        return false;
    };
    if (member.method == 0) {
        contents = packed.toByteArray();
    } else {
        // One byte of room more than the size shows data that unpacks to more.
        contents.resize(qsizetype(member.size) + 1);
        z_stream stream{};
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
            return broken(ImportText::tr("it cannot be unpacked: out of memory"));
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.data()));
        stream.avail_in = uInt(packed.size());
        stream.next_out = reinterpret_cast<Bytef *>(contents.data());
        stream.avail_out = uInt(contents.size());
        const int status = inflate(&stream, Z_FINISH);
        const qint64 produced = qint64(stream.total_out);
        inflateEnd(&stream);
        if (status != Z_STREAM_END || produced != member.size) {
            contents = QByteArray();
            return broken(ImportText::tr("%1 is damaged").arg(shown));
        }
        contents.resize(qsizetype(produced));
    }
    if (crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef *>(contents.constData()),
              uInt(contents.size())) != member.crc) {
        contents = QByteArray();
        return broken(ImportText::tr("%1 is damaged (its checksum does not match)").arg(shown));
    }
    return true;
}
