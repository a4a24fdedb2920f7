#include "tags/ID3Text.h"

namespace korvex {

namespace {

enum Encoding { Latin1 = 0, Utf16Bom = 1, Utf16BE = 2, Utf8 = 3 };

struct TextSpan
{
    QString text;
    qsizetype next = 0;  // first byte after the terminator
};

bool isContinuation(char c)
{
    return (static_cast<uchar>(c) & 0xC0) == 0x80;
}

// Bytes a UTF-8 sequence holds, from its first byte; 1 for anything else.
int sequenceLength(char lead)
{
    const auto b = static_cast<uchar>(lead);
    return b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
}

// A text cut off at the end of the stored bytes may end inside a UTF-8
// sequence; the half character is left out rather than shown as a stray mark.
QByteArrayView withoutCutSequence(QByteArrayView raw)
{
    qsizetype lead = raw.size();
    while (lead > 0 && raw.size() - lead < 3 && isContinuation(raw[lead - 1]))
        --lead;
    if (lead == 0)
        return raw;
    --lead;
    return raw.size() - lead < sequenceLength(raw[lead]) ? raw.first(lead) : raw;
}

TextSpan decodeNarrow(const QByteArray &bytes, qsizetype from, int encoding)
{
    qsizetype end = bytes.indexOf('\0', from);
    const bool cut = end < 0;
    const qsizetype next = cut ? bytes.size() : end + 1;
    if (cut)
        end = bytes.size();
    QByteArrayView raw(bytes.constData() + from, end - from);
    if (encoding != Utf8)
        return {QString::fromLatin1(raw), next};
    return {QString::fromUtf8(cut ? withoutCutSequence(raw) : raw), next};
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
    // cut off at the end of the stored bytes: no half of a surrogate pair
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
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

QString DecodeID3CommentDescription(const QByteArray &body)
{
    if (body.isEmpty())
        return QString();
    const int encoding = static_cast<uchar>(body[0]);
    return decodeFrom(body, 4, isKnownEncoding(encoding) ? encoding : Latin1).text;
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
