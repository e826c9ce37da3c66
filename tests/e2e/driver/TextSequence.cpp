// Follows the texts a control shows against the sequence a texts step expects.
#include "TextSequence.h"

#include "Text.h"

#include <algorithm>
#include <utility>

namespace driver {

TextSequence::TextSequence(std::vector<std::wstring> expected) : expected_(std::move(expected)) {}

void TextSequence::observe(const std::wstring& text) {
    if (!problem_.empty() || complete() || (!seen_.empty() && seen_.back() == text)) {
        return;
    }
    seen_.push_back(text);
    if (next_ == 0) {
        next_ = text == expected_.front() ? 1 : 0;
        return;
    }
    const auto first = expected_.begin() + static_cast<std::ptrdiff_t>(next_);
    const auto found = std::find(first, expected_.end(), text);
    if (found == expected_.end()) {
        problem_ = quoted(text) + L" is not one of the texts still to come";
        return;
    }
    missed_.insert(missed_.end(), first, found);
    next_ = static_cast<size_t>(found - expected_.begin()) + 1;
}

} // namespace driver
