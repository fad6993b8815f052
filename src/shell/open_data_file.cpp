#include "open_data_file.h"

#include "app_context.h"
#include "card_file_guard.h"
#include "cards/staged_card_files.h"
#include "msg_box.h"
#include "profile/app_paths.h"

#include <QFileInfo>

namespace tessaly::shell {

namespace {

const QString kMissingTitle = QStringLiteral("Missing data file");

constexpr std::int16_t kStopIcon = 1, kQuestionIcon = 2;

bool AskYesNo(const QString& text, std::int16_t icon = kStopIcon) {
    return SingleTextBox().ShowMsg(text, 2, QStringLiteral("Yes"), QStringLiteral("No"), icon, kMissingTitle) ==
           MessageButton::First;
}

void Tell(const QString& text) {
    SingleTextBox().ShowMsg(text, 0, QStringLiteral("OK"), QString(), 1, kMissingTitle);
}

void OpenStoreOn(AppContext& s, const QString& dataDir) {
    s.DataDir = dataDir;
    s.OpenStore();
    try {
        store::SettleBeforeUse(dataDir, std::chrono::seconds(5));
    } catch (const std::exception& e) {
        ReportWriteFailure(
            e,
            QStringLiteral("A restore or import that stopped half-way is finished when the card file is next opened."));
    }
    // Before the lists load: a repair when they are loaded is a change too.
    s.OpenHistory();
    s.Store->RemoveLeftoverTemporaries();
}

// The user agreed to a new card file in the data folder. A file already there
// is never written over: a card file of ours is offered instead, anything else
// is left alone and the program ends.
bool UseNewDataFolder(AppContext& s) {
    const QString newDir = store::NewDataDir();
    const QString newFile = newDir + store::kHeaderFileName;
    const QFileInfo existing(newFile);
    if (existing.exists() || existing.isSymLink()) {
        if (store::CheckDataFile(s.Profile, newFile) != store::DataFileState::Valid) {
            Tell(QStringLiteral("The folder ") + newDir +
                 QStringLiteral(" already holds a file tesly.dat that Tessaly cannot use.") + u'\r' +
                 QStringLiteral("It is left as it is."));
            return false;
        }
        if (!AskYesNo(QStringLiteral("There is a Tessaly data file in ") + newDir + u'\r' +
                      QStringLiteral("Should I open it?")))
            return false;
        NameDataFolder(s.Profile, s.PreferencesFile, newDir);
        OpenStoreOn(s, newDir);
        return true;
    }
    CreateNewDataFile(s.Profile, s.PreferencesFile, newDir);
    OpenStoreOn(s, newDir);
    return true;
}

}  // namespace

bool OpenDataFile(AppContext& s) {
    try {
        s.DataDir = store::PreferredDataDir(s.Profile);
        const QString dataFile = s.DataDir + store::kHeaderFileName;
        const store::DataFileState state = store::CheckDataFile(s.Profile, dataFile);
        if (state == store::DataFileState::Valid) {
            OpenStoreOn(s, s.DataDir);
            return true;
        }
        // No card file yet is a first start, a question; a file of another program is a warning.
        const bool missing = state == store::DataFileState::Missing;
        const QString first = missing ? store::kMissingDataFileText : store::kForeignDataFileText;
        const QString where = QStringLiteral("It will be made in the folder ") + store::NewDataDir();
        if (!AskYesNo(first + u'\r' + QStringLiteral("Should I create a new empty one now?") + u'\r' + where,
                      missing ? kQuestionIcon : kStopIcon))
            return false;
        return UseNewDataFolder(s);
    } catch (const profile::FileError& error) {
        // Without a readable card file nothing could be shown or kept: say which file and why.
        Tell(QString::fromStdString(error.what()));
        return false;
    }
}

}  // namespace tessaly::shell
