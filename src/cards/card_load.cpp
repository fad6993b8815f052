#include "card_store.h"

#include "profile/profile_access.h"

namespace tessaly::store {

using profile::ProfileOperation;

// Loading reads every card section of the card files present once (its six
// links), then builds the lists from the heads, so it never trusts the counts
// and its cost follows the files, not the numbers written in them. Cards that
// no list reaches are put where their links say they were going, so that none
// drops out of sight; SortLists then writes back what differs.
void CardStore::LoadLists() {
    ProfileOperation op(profile_);
    survey_.reset();
    repairs_.clear();
    rewritePending_ = false;
    progress_->statusText(0, QStringLiteral("Please wait while getting names list..."));
    progress_->percentText(QStringLiteral("Please wait while getting names list..."));
    progress_->welcomeText(QStringLiteral("Loading Names..."));
    progress_->gauge(0);

    CardFileSurvey survey = SurveyCardFile(*this);
    PlannedLists lists = PlanLists(survey);
    AllNames.clear();
    AllCompanies.clear();
    AllByName.clear();
    AllByCompany.clear();
    deletedPlan_.clear();
    const int n = static_cast<int>(lists.names.size());
    AllNames.reserve(n);
    AllCompanies.reserve(n);
    AllByName.reserve(n);
    AllByCompany.reserve(n);
    for (int i = 0; i < n; ++i) {
        if (i > 0) {
            progress_->pumpEvents();
            progress_->gauge(GaugePercent(i + 1, n));
        }
        const SurveyedCard& byName = survey.cards[lists.names[i]];
        const SurveyedCard& byCompany = survey.cards[lists.companies[i]];
        AllNames << byName.name;
        AllByName << byName.rec;
        AllCompanies << byCompany.company;
        AllByCompany << byCompany.rec;
    }
    if (n > 1) progress_->pumpEvents();  // the full gauge is shown before the sort's text replaces it
    for (std::int32_t at : lists.deleted) deletedPlan_ << survey.cards[at].rec;
    missingFiles_ = survey.missingFiles;
    NoOfRecords = static_cast<std::int16_t>(std::min<qsizetype>(AllByName.size(), 32767));
    survey_ = std::move(survey);
    progress_->statusText(0, QString());
    progress_->statusText(1, QString());
}

}  // namespace tessaly::store
