#include "app_context.h"

namespace tessaly::shell {

void AppContext::OpenStore() {
    DataFile = DataDir + store::kHeaderFileName;
    Store = std::make_unique<store::CardStore>(Profile, DataDir);
    Store->ReadRecordCount();
}

}  // namespace tessaly::shell
