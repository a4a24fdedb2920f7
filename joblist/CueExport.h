#pragma once

namespace korvex {

class JobList;
class MessageSeam;

// "Export CUE…": the selected entry's segments as a CUE sheet beside its
// file (CueSheetPathFor). A sheet already there is replaced only when the
// user agrees; the sheet is written whole or not at all, and the user is
// told where it went or why it was not written. Nothing happens without a
// selected entry.
void ExportSelectedCue(JobList &jobs, MessageSeam &messages);

} // namespace korvex
