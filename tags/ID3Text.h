#pragma once

#include <QByteArray>
#include <QString>

namespace korvex {

// Text of an ID3v2 text frame body: the first byte names the encoding
// (0 Latin-1, 1 UTF-16 with byte-order mark, 2 UTF-16BE, 3 UTF-8); the text
// runs to its terminator. A body with an unknown encoding byte is read as
// Latin-1 from its first byte.
QString DecodeID3TextFrame(const QByteArray &body);

// A text that runs to the end of the body without its terminator was cut
// there; a character cut in half is left out.

// The short description of a "COMM" body.
QString DecodeID3CommentDescription(const QByteArray &body);

// Text of a "COMM" body: encoding byte, three-letter language, a short
// description ended by its terminator, then the comment itself.
QString DecodeID3CommentFrame(const QByteArray &body);

} // namespace korvex
