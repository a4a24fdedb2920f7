#include "tags/ID3Text.h"

namespace korvex {

namespace {

enum Encoding { Latin1 = 0, Utf16Bom = 1, Utf16BE = 2, Utf8 = 3 };

struct TextSpan
{
    QString text;
    qsizetype next = 0;  // first byte after the terminator
};

TextSpan decodeNarrow(const QByteArray &bytes, qsizetype from, int encoding)
{
    qsizetype end = bytes.indexOf('\0', from);
    const qsizetype next = end < 0 ? bytes.size() : end + 1;
    if (end < 0)
        end = bytes.size();
    const QByteArrayView raw(bytes.constData() + from, end - from);
    return {encoding == Utf8 ? QString::fromUtf8(raw) : QString::fromLatin1(raw), next};
}

TextSpan decodeWide(const QByteArray &bytes, qsizetype from, int encoding)
{
    const auto unit = [&](qsizetype at, bool bigEndian) -> char16_t {
        const auto hi = static_cast<uchar>(bytes[bigEndian ? at : at + 1]);
        const auto lo = static_cast<uchar>(bytes[bigEndian ? at + 1 : at]);
        return static_cast<char16_t>(hi << 8 | lo);
    };
    bool bigEndian = encoding == Utf16BE;
    qsizetype at = from;
    if (at + 1 < bytes.size()) {
        const char16_t first = unit(at, false);
        if (first == 0xFEFF || first == 0xFFFE) {
            bigEndian = first == 0xFFFE;
            at += 2;
        }
    }
    QString text;
    for (; at + 1 < bytes.size(); at += 2) {
        const char16_t c = unit(at, bigEndian);
        if (c == 0)
            return {text, at + 2};
        text.append(QChar(c));
    }
    return {text, bytes.size()};
}

TextSpan decodeFrom(const QByteArray &bytes, qsizetype from, int encoding)
{
    if (from >= bytes.size())
        return {QString(), bytes.size()};
    if (encoding == Utf16Bom || encoding == Utf16BE)
        return decodeWide(bytes, from, encoding);
    return decodeNarrow(bytes, from, encoding);
}

bool isKnownEncoding(int encoding)
{
    return encoding >= Latin1 && encoding <= Utf8;
}

} // namespace

QString DecodeID3TextFrame(const QByteArray &body)
{
    if (body.isEmpty())
        return QString();
    const int encoding = static_cast<uchar>(body[0]);
    if (!isKnownEncoding(encoding))
        return decodeNarrow(body, 0, Latin1).text;
    return decodeFrom(body, 1, encoding).text;
}

QString DecodeID3CommentFrame(const QByteArray &body)
{
    if (body.isEmpty())
        return QString();
    const int encoding = static_cast<uchar>(body[0]);
    if (!isKnownEncoding(encoding))
        return decodeFrom(body, 4, Latin1).text;
    const TextSpan description = decodeFrom(body, 4, encoding);
    return decodeFrom(body, description.next, encoding).text;
}

} // namespace korvex
