#pragma once
#include "../support/qt_print.h"
#include "../support/temp_folder.h"

#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/modal_seam.h"

#include <gtest/gtest.h>
#include <QDialog>
#include <QString>
#include <deque>
#include <functional>
#include <memory>

// Each case starts from a context of its own with the preferences in a folder of its own.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        context().PreferencesFile = folder.path(QStringLiteral("ostrel.ini"));
        tessaly::shell::SetModalAnswerer([this](QDialog& window) {
            ++modalCount;
            ASSERT_FALSE(answers.empty()) << "an unexpected modal window: " << window.objectName().toStdString();
            auto answer = std::move(answers.front());
            answers.pop_front();
            answer(window);
        });
    }
    void TearDown() override { tessaly::shell::SetModalAnswerer({}); }

    // The modal windows that come up are answered in turn, one action each; a
    // window opened from inside an action takes the next one.
    void answerWith(std::function<void(QDialog&)> action) { answers.push_back(std::move(action)); }

    // A stand-in for the main window, as the shell's windows find it; its status texts land in 'panels'.
    void linkMain(QWidget& main, QTimer* inUseTimer = nullptr) {
        auto* link = new tessaly::shell::MainWindowLink(&main, inUseTimer);
        QObject::connect(link, &tessaly::shell::MainWindowLink::statusTextChanged,
                         [this](int panel, const QString& text) { panels[panel] = text; });
    }

    QString preference(const QString& key) {
        return context().Profile.read(context().PreferencesFile, QStringLiteral("TS32"), key);
    }
    tessaly::shell::AppContext& context() { return *context_; }

    TempFolder folder;
    std::unique_ptr<tessaly::shell::AppContext> context_ = std::make_unique<tessaly::shell::AppContext>();
    std::deque<std::function<void(QDialog&)>> answers;
    int modalCount = 0;
    QString panels[4];
};
