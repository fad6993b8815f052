#include "shared_data.h"

#include <QTimer>

namespace tessaly::shell {

namespace {
std::unique_ptr<SharedData>& Instance() {
    static std::unique_ptr<SharedData> instance = std::make_unique<SharedData>();
    return instance;
}
}  // namespace

SharedData& Shared() { return *Instance(); }

InUseCheckPause::InUseCheckPause() : timer_(Shared().InUseTimer) {
    if (!timer_) return;
    wasActive_ = timer_->isActive();
    timer_->stop();
}

InUseCheckPause::~InUseCheckPause() {
    if (timer_ && wasActive_) timer_->start();
}

void ResetShared() { Instance() = std::make_unique<SharedData>(); }

void SharedData::OpenStore() {
    DataFile = DataDir + store::kHeaderFileName;
    Store = std::make_unique<store::CardStore>(Profile, DataDir);
}

}  // namespace tessaly::shell
