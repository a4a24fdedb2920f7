#pragma once

namespace korvex {

class JobList;
class SkinFace;
struct Settings;

// The job list with what every command on it works with: the settings that
// plan its entries and the face that shows its times and path. The three live
// as long as the core that hands them out.
struct ListDesk
{
    JobList &jobs;
    const Settings &settings;
    SkinFace &skin;
};

} // namespace korvex
