// Copying the selected card's details, as the labels show them, to the clipboard.
#include "detail_label.h"
#include "main_dialog.h"

#include "cards/copy_text.h"
#include "shell/app_context.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>

namespace tessaly::mainwin {

namespace {

store::PrefixSettings PrefixSettings(const shell::Preferences& p) {
    return {p.UsePrefix, p.PrefixSprt, p.Phone1Prefix, p.Phone2Prefix, p.FaxPrefix, p.EMailPrefix};
}

void PutOnClipboard(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

store::DetailLabelTexts LabelTexts(const std::array<DetailLabel*, store::kDetailLabelCount>& labels) {
    store::DetailLabelTexts texts;
    for (int i = 0; i < store::kDetailLabelCount; ++i) texts[i] = labels[i]->text();
    return texts;
}
}  // namespace

void MainDialog::CopySelected() {
    store::CopyBoxes ticked{};
    for (std::size_t i = 0; i < ticked.size(); ++i) ticked[i] = ChkCopy[i]->isChecked();
    PutOnClipboard(store::CopySelectedText(LabelTexts(Label), ticked, PrefixSettings(context_.Prefs)));
}

void MainDialog::CopyAll() {
    PutOnClipboard(store::CopyAllText(LabelTexts(Label), PrefixSettings(context_.Prefs)));
}

void MainDialog::CopyLabel(int index) {
    PutOnClipboard(store::CopyLabelText(LabelTexts(Label), index));
}

}  // namespace tessaly::mainwin
