#include "shell/window_opener.h"

#include <gtest/gtest.h>
#include <QCloseEvent>
#include <QDialog>

namespace {

class Probe : public QDialog, public tessaly::shell::OnlyOne<Probe> {
public:
    Probe() { ClaimSlot(); }

protected:
    void closeEvent(QCloseEvent* event) override {
        ReleaseSlot();
        QDialog::closeEvent(event);
    }
};

// The latest window of a kind is the one reached until it closes or goes; an
// older one closing leaves the newer one in the slot.
TEST(OnlyOneTest, theSlotHoldsTheLatestWindowUntilItClosesOrGoes) {
    EXPECT_EQ(Probe::Current(), nullptr);
    Probe first, second;
    first.show(), second.show();
    EXPECT_EQ(Probe::Current(), &second);
    first.close();
    EXPECT_EQ(Probe::Current(), &second);
    second.close();
    EXPECT_EQ(Probe::Current(), nullptr);
    {
        Probe gone;
        EXPECT_EQ(Probe::Current(), &gone);
    }
    EXPECT_EQ(Probe::Current(), nullptr);
}

}  // namespace
