#include "engine/PieceLabels.h"

#include "joblist/SegmentTagEdits.h"
#include "settings/Settings.h"

namespace korvex {

PieceLabel LabelOfPiece(const LabelSource &source, const PlannedPiece &planned, int number, int count)
{
    const AudioFileinfo tags = SegmentTagsOver(source.tags, source.titled, planned.Row);
    PieceLabel label;
    label.title = tags.Title;
    label.artist = tags.Artist;
    label.album = tags.Album;
    label.sourceFile = source.file;
    label.number = number;
    label.count = count;
    label.beginMs = planned.Piece.Begin;
    label.endMs = planned.ToTrueEnd ? qMax(planned.Piece.End, source.durationMs) : planned.Piece.End;
    label.ownTitle = HasOwnTitle(source.titled, planned.Row);
    return label;
}

bool SegmentTitlesNamePieces(int splitMode, int row)
{
    return splitMode == split_mode::Custom || (splitMode == split_mode::Unification && row == 0);
}

} // namespace korvex
