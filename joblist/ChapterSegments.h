#pragma once

#include "components/Chapters.h"
#include "joblist/JobRecords.h"

namespace korvex {

class JobEditor;
class MessageSeam;

// The chapters as the entry's confirmed segments, each titled after its
// chapter, and a new pending segment over the whole file after them.
// Chapters that begin at or past the file's end are left out; the last one
// reaches the file's end when its own end falls short of it by less than a
// second (a container's rounding).
void SetSegmentsFromChapters(listrecord &entry, const QList<Chapter> &chapters);

// "Segments from Chapters": the selected entry's chapters, read from its
// file, become its segments. A file without chapters is said so; confirmed
// segments the entry has are replaced only when the user agrees.
void SegmentsFromChapters(JobEditor &editor, MessageSeam &messages);

} // namespace korvex
