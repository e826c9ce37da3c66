// Follows the texts a control shows against the sequence a texts step expects.
#pragma once

#include <string>
#include <vector>

namespace driver {

// Feed it every text read from the control, at whatever rate; repeats count once. Texts
// before the first expected one are ignored (what the control showed before). From then on
// each new text must be one of the expected texts still to come: jumping ahead skips the
// ones in between (they count as missed, shown too briefly to be read), and anything else
// breaks the sequence. It is complete once the last expected text has shown.
class TextSequence {
public:
    explicit TextSequence(std::vector<std::wstring> expected);

    void observe(const std::wstring& text);

    bool complete() const { return next_ == expected_.size(); }
    // Empty unless the sequence is broken: then it says how.
    const std::wstring& problem() const { return problem_; }
    // Every change seen, and the expected texts that went unseen.
    const std::vector<std::wstring>& seen() const { return seen_; }
    const std::vector<std::wstring>& missed() const { return missed_; }

private:
    std::vector<std::wstring> expected_;
    size_t next_ = 0; // index of the first expected text still to come
    std::vector<std::wstring> seen_;
    std::vector<std::wstring> missed_;
    std::wstring problem_;
};

} // namespace driver
