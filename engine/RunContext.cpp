#include "engine/RunContext.h"

#include "joblist/JobEditor.h"

namespace korvex {

JobList &RunWork::jobs() const
{
    return editor.desk().jobs;
}

SkinFace &RunWork::skin() const
{
    return editor.desk().skin;
}

} // namespace korvex
