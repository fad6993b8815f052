#pragma once
#include "cards/progress_sink.h"

#include <QtGlobal>
#include <algorithm>

namespace tessaly::print {

// Tells how far a document is, when someone asks: the gauge moves only when
// its percent changes, and the windows may repaint at every step.
class PageProgress {
public:
    explicit PageProgress(store::ProgressSink* sink) : sink_(sink) {}
    // 'done' of 'total' steps of a phase that fills the gauge from 'from' to 'to' percent.
    void step(qsizetype done, qsizetype total, int from = 0, int to = 100) {
        if (!sink_ || total <= 0) return;
        const int percent = from + int((to - from) * std::min(done, total) / total);
        if (percent != shown_) sink_->gauge(shown_ = percent);
        sink_->pumpEvents();
    }

private:
    store::ProgressSink* sink_;
    int shown_ = -1;
};

}  // namespace tessaly::print
