#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Ui {
class CSetupDlg;
}

namespace quillet::app {
class ApplicationContext;
class SettingsStore;
struct AppSettings;
}  // namespace quillet::app

namespace quillet::ui {

// What the setup dialog works on.
struct SetupTargets {
    app::AppSettings& settings;
    app::SettingsStore& store;
    app::ApplicationContext& context;
    // The PC/SC readers of the system; false when they cannot be listed.
    std::function<bool(std::vector<std::string>&)> listPcscReaders;
};

// "Quillet! - Setup": the reader device, the reader search, the two international dialling
// values and five switches. OK opens the chosen reader and, only when that works, stores all.
class CSetupDlg final : public QDialog {
    Q_OBJECT

public:
    CSetupDlg(SetupTargets targets, QWidget* parent);
    ~CSetupDlg() override;

    void FindReader();
    void ChooseCountryCode();
    void accept() override;

    // For tests and screenshots.
    Ui::CSetupDlg& Form() { return *m_ui; }
    QStringList Devices() const;

private:
    void SelectDevice(const std::string& device);

    SetupTargets m_targets;
    std::unique_ptr<Ui::CSetupDlg> m_ui;
    std::vector<std::string> m_devices;
};

}  // namespace quillet::ui
