#pragma once

#include <functional>
#include <memory>
#include <utility>

namespace korvex {

// What a modal box or dialog holds while it is open. The window sets the
// provider once, from its core, so that a run waits while the user answers
// a box or fills in a dialog, as it waited behind the box's own event loop
// when runs worked inside the window's. Without a provider nothing is held.
class ModalHold
{
public:
    // The hold lasts as long as the token does.
    using Token = std::shared_ptr<void>;
    using Provider = std::function<Token()>;

    void setProvider(Provider provider) { m_provider = std::move(provider); }

    // Shows what `show` shows with the hold taken; the hold goes when `show`
    // returns or throws.
    template <typename Show>
    decltype(auto) around(Show &&show) const
    {
        const Token hold = m_provider ? m_provider() : Token();
        return std::forward<Show>(show)();
    }

private:
    Provider m_provider;
};

} // namespace korvex
