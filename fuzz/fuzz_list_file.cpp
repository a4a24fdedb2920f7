// The saved job list parser over arbitrary bytes: it takes a list or refuses
// it with a KorvexError, never anything else; and a list it takes is saved
// and read back unchanged.
#include "components/KorvexError.h"
#include "joblist/ListFile.h"

#include <cstdlib>

namespace {

bool sameEntries(const korvex::SavedList &a, const korvex::SavedList &b)
{
    if (a.entries.size() != b.entries.size())
        return false;
    for (qsizetype i = 0; i < a.entries.size(); ++i) {
        const korvex::ListEntry &x = a.entries.at(i);
        const korvex::ListEntry &y = b.entries.at(i);
        if (x.FileName != y.FileName || x.Segments.size() != y.Segments.size() || x.Tags.Title != y.Tags.Title
            || x.Tags.Comment != y.Tags.Comment)
            return false;
        for (qsizetype k = 0; k < x.Segments.size(); ++k) {
            if (x.Segments.at(k).BeginMs != y.Segments.at(k).BeginMs || x.Segments.at(k).EndMs != y.Segments.at(k).EndMs
                || x.Segments.at(k).Own.Title != y.Segments.at(k).Own.Title)
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString listPath = QStringLiteral("/lists/fuzzed.korvex");
    korvex::SavedList list;
    try {
        list = korvex::ParseListFile(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), listPath);
    } catch (const korvex::KorvexError &) {
        return 0;
    }
    const korvex::SavedList again = korvex::ParseListFile(korvex::ListFileText(list, listPath), listPath);
    if (!(again.settings == list.settings) || !sameEntries(again, list))
        std::abort();
    return 0;
}
