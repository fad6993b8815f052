#pragma once
#include "exchange/duplicate_resolve.h"

#include <QDialog>
#include <optional>

class QLabel;
class QPushButton;
class QTableWidget;

namespace tessaly::dialogs {

// The import's duplicate step: each incoming card that matches a card of the
// card file or an earlier incoming card, what matched, and what to do with
// it. A strong match starts at "Skip", a possible one at "Import anyway", as
// the line above the rows says; nothing is merged unless chosen. The default
// button applies the rows as they show.
class ImportDuplicatesDialog : public QDialog {
    Q_OBJECT
public:
    ImportDuplicatesDialog(const store::KnownCards& known, const QList<store::Card>& incoming,
                           QList<store::ImportDuplicate> duplicates, QWidget* parent = nullptr);

    QLabel* LblStarting;
    QTableWidget* TblMatches;
    QPushButton *BtnSkipAll, *BtnImportAll, *BtnFillAll, *BtnOK, *BtnCancel;

    // The action of each row, in the order of the duplicates.
    QList<store::DuplicateAction> Actions() const;

private:
    void SetAll(store::DuplicateAction action);
};

// The person's answer for an import: the choices the import applies again
// under the change lock, and what they make of the cards as found now (the
// counts the person is asked about).
struct DuplicateAnswer {
    store::DuplicateChoices choices;
    store::ResolvedImport preview;
};

// Finds the incoming cards that match (against the card file unless
// replacing) and, when there are any, asks what to do with them. Nothing when
// the user cancelled.
std::optional<DuplicateAnswer> ResolveImportDuplicates(store::CardStore& store, const QList<store::Card>& incoming,
                                                       bool replace);

}  // namespace tessaly::dialogs
