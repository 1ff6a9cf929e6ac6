// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/exporttext.h"

#include "import/csvreader.h"

#include <cstring>

namespace {

// The characters of the bytes 0x80 to 0x9f; the five bytes the code page
// leaves free stand for the control characters of their number.
constexpr char16_t windows1252High[32] = {
    0x20ac, 0x0081, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021, 0x02c6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008d, 0x017d, 0x008f, 0x0090, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022,
    0x2013, 0x2014, 0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0x009d, 0x017e, 0x0178};

char16_t windows1252(uchar byte)
{
    return byte >= 0x80 && byte < 0xa0 ? windows1252High[byte - 0x80] : char16_t(byte);
}

} // namespace

bool decodeWindows1252(QByteArrayView text, QByteArray &utf8)
{
    if (text.isValidUtf8())
        return false;
    qsizetype length = 0;
    for (char c : text) {
        const char16_t u = windows1252(uchar(c));
        length += u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
    }
    utf8.resize(length);
    char *out = utf8.data();
    for (char c : text) {
        const char16_t u = windows1252(uchar(c));
        if (u < 0x80) {
            *out++ = char(u);
        } else if (u < 0x800) {
            *out++ = char(0xc0 | u >> 6);
            *out++ = char(0x80 | (u & 0x3f));
        } else {
            *out++ = char(0xe0 | u >> 12);
            *out++ = char(0x80 | (u >> 6 & 0x3f));
            *out++ = char(0x80 | (u & 0x3f));
        }
    }
    return true;
}

qsizetype firstOverlongLine(QByteArrayView text)
{
    const char *data = text.data();
    qsizetype pos = 0, line = 1;
    while (pos < text.size()) {
        const void *feed = std::memchr(data + pos, '\n', size_t(text.size() - pos));
        const qsizetype end = feed ? static_cast<const char *>(feed) - data : text.size();
        if (end - pos > CsvReader::maxRecordBytes)
            return line;
        pos = end + 1;
        ++line;
    }
    return 0;
}
