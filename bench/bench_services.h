#pragma once

#include "engine/command_services.h"
#include "ui_core/working_set.h"

namespace filarion::bench {

// The window's side of a command, with the message, question and progress services doing nothing.
// The file list refresh re-reads the given working set, as the window does at the end of a command,
// or does nothing without one.
class BenchServices final : public engine::CommandServices {
public:
    explicit BenchServices(ui_core::WorkingSet* refreshed = nullptr) : m_refreshed(refreshed) {}

    void showMessage(const QString& /*text*/) override { ++messages; }
    bool askYesNo(const QString& /*text*/) override {
        ++questions;
        return true;
    }
    void setProgress(int /*value*/) override {}
    void enterBusy() override {}
    void leaveBusy() override {}
    void refreshFileList() override {
        if (m_refreshed != nullptr) {
            m_refreshed->refresh();
        }
    }

    int messages = 0;
    int questions = 0;

private:
    ui_core::WorkingSet* m_refreshed;
};

} // namespace filarion::bench
