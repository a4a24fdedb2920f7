#pragma once

#include <QList>
#include <QString>

#include <utility>

struct AVDictionary;

namespace korvex {

// Vorbis comments (field name, value) an Ogg output is muxed with. FFmpeg's
// Ogg muxer writes a stream's metadata into its comment header, so the
// finished file needs no tag writer that opens it again and, the comment
// packet growing, writes every page after it a second time.
using MuxedComments = QList<std::pair<QString, QString>>;

// Puts the comments into a stream's metadata. Throws KorvexError when out of memory.
void SetMuxedComments(AVDictionary **metadata, const MuxedComments &comments);

} // namespace korvex
