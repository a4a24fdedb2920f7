#include "components/ErrorBoxes.h"

#include "components/KorvexError.h"
#include "components/Seams.h"

#include <exception>

namespace korvex {

std::optional<QString> FailureText(const std::function<void()> &action)
{
    try {
        action();
    } catch (const KorvexError &error) {
        return error.text();
    } catch (const std::exception &error) {
        return QString::fromLocal8Bit(error.what());
    }
    return std::nullopt;
}

bool ShowingFailure(MessageSeam &messages, const std::function<void()> &action)
{
    const std::optional<QString> failure = FailureText(action);
    if (failure)
        messages.error(*failure);
    return !failure;
}

} // namespace korvex
