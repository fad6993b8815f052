#include "app_context.h"

namespace tessaly::shell {

void AppContext::OpenStore() {
    DataFile = DataDir + store::kHeaderFileName;
    Store = std::make_unique<store::CardStore>(Profile, DataDir);
    Store->ReadRecordCount();
}

void AppContext::OpenHistory() {
    History = std::make_unique<history::ChangeJournal>(DataDir, history::ChangeJournal::FileFor(DataDir));
    try {
        History->Open(std::chrono::seconds(5));
        HistoryNotice = History->TakeNotice();
        Store->SetRecorder(History.get());
    } catch (const std::exception& e) {
        HistoryNotice = QStringLiteral(
                            "Changes cannot be undone in this session: the history of changes could not "
                            "be opened (%1).")
                            .arg(QString::fromUtf8(e.what()));
        Store->SetRecorder(nullptr);
        History.reset();
    }
}

}  // namespace tessaly::shell
