#include "shared_data.h"

namespace tessaly::shell {

namespace {
std::unique_ptr<SharedData>& Instance() {
    static std::unique_ptr<SharedData> instance = std::make_unique<SharedData>();
    return instance;
}
}  // namespace

SharedData& Shared() { return *Instance(); }

void ResetShared() { Instance() = std::make_unique<SharedData>(); }

void SharedData::OpenStore() {
    DataFile = DataDir + store::kHeaderFileName;
    Store = std::make_unique<store::CardStore>(Profile, DataDir);
    Store->ReadRecordCount();
}

}  // namespace tessaly::shell
