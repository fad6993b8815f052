#pragma once

namespace tessaly::shell {

// The conversation with the word processor that "Copy && Paste into WinWord"
// needs. Linux has no such conversation, so the probe answers false and the
// entry stays disabled; another platform can supply a real link.
class WordLink {
public:
    virtual ~WordLink() = default;
    // True when the word processor runs with at least three open topics.
    virtual bool ProbeWord() { return false; }
};

}  // namespace tessaly::shell
