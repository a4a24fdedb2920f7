#include "components/LogCategories.h"

namespace korvex {

Q_LOGGING_CATEGORY(lcRun, "korvex.run", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcEncode, "korvex.encode", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcMeasure, "korvex.measure", QtCriticalMsg)

} // namespace korvex
