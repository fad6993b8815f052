#include "open_data_file.h"

#include "card_file_guard.h"
#include "msg_box.h"
#include "shared_data.h"
#include "store/app_paths.h"

namespace tessaly::shell {

bool OpenDataFile() {
    SharedData& s = Shared();
    s.DataDir = store::PreferredDataDir(s.Profile);
    const QString dataFile = s.DataDir + store::kHeaderFileName;
    const store::DataFileState state = store::CheckDataFile(s.Profile, dataFile);
    if (state == store::DataFileState::Valid) {
        s.OpenStore();
        s.Store->NoOfRecords = store::Count16(s.Store->ReadHeader(store::header::NoOfRecords));
        return true;
    }

    const QString first = state == store::DataFileState::Missing ? store::kMissingDataFileText : store::kForeignDataFileText;
    SingleTextBox().ShowMsg(first + u'\r' + QStringLiteral("Should I create a new empty one now?"), 2, QStringLiteral("Yes"),
                            QStringLiteral("No"), 1, QStringLiteral("Missing data file"));
    if (s.DialogResult == 0) return false;

    const QString newDir = CreateNewDataFile(s.Profile, s.PreferencesFile, store::NewDataDir());
    if (newDir.isEmpty()) {
        // Without a card file nothing could be kept: say so rather than open an empty window that saves nothing.
        SingleTextBox().ShowMsg(QStringLiteral("I can't create the new data file in ") + store::NewDataDir(), 0,
                                QStringLiteral("OK"), QString(), 1, QStringLiteral("Missing data file"));
        return false;
    }
    s.DataDir = newDir;
    s.OpenStore();
    s.Store->NoOfRecords = 0;
    return true;
}

}  // namespace tessaly::shell
