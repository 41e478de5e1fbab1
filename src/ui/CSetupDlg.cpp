#include "ui/CSetupDlg.h"

#include "app/AppSettings.h"
#include "app/ApplicationContext.h"
#include "app/ReaderSetup.h"
#include "app/SettingsStore.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/CFindReaderDlg.h"
#include "ui/CountryListDialog.h"
#include "ui/Cp1250.h"
#include "ui/MessageBoxes.h"
#include "ui_CSetupDlg.h"

namespace quillet::ui {

namespace {

std::string StringOf(std::uint32_t id) { return std::string(resources::LoadString(id)); }

}  // namespace

CSetupDlg::CSetupDlg(SetupTargets targets, QWidget* parent)
    : QDialog(parent), m_targets(std::move(targets)), m_ui(std::make_unique<Ui::CSetupDlg>()) {
    m_ui->setupUi(this);
    std::vector<std::string> pcscReaders;
    if (m_targets.listPcscReaders && !m_targets.listPcscReaders(pcscReaders)) pcscReaders.clear();
    m_devices = app::BuildDeviceList(pcscReaders);
    // A device the list does not offer (a virtual card file given on the command line) stays
    // choosable, so OK does not silently switch the reader off.
    const std::string& current = m_targets.context.DeviceName();
    if (app::FindDeviceEntry(m_devices, current) == 0 && current != app::ApplicationContext::kNoDevice) {
        m_devices.push_back(current);
    }
    // Device names are the system's own text (reader names, file paths), not card text.
    for (const std::string& device : m_devices) m_ui->deviceList->addItem(QString::fromStdString(device));
    SelectDevice(m_targets.context.DeviceName());

    const app::AppSettings& settings = m_targets.settings;
    m_ui->prefixEdit->setText(FromCp1250(settings.internationalPrefix));
    m_ui->countryCodeEdit->setText(FromCp1250(settings.myCountryCode));
    m_ui->autoReadBox->setChecked(settings.autoRead != 0);
    m_ui->confirmBox->setChecked(settings.confirm != 0);
    m_ui->toolbarBox->setChecked(settings.startAsToolbar != 0);
    m_ui->cacheBox->setChecked(settings.useCache != 0);
    m_ui->verifyBox->setChecked(settings.verifyWrites != 0);

    connect(m_ui->findReaderButton, &QPushButton::clicked, this, &CSetupDlg::FindReader);
    connect(m_ui->fromDatabaseButton, &QPushButton::clicked, this, &CSetupDlg::ChooseCountryCode);
}

CSetupDlg::~CSetupDlg() = default;

QStringList CSetupDlg::Devices() const {
    QStringList devices;
    for (int index = 0; index < m_ui->deviceList->count(); ++index) devices << m_ui->deviceList->itemText(index);
    return devices;
}

void CSetupDlg::SelectDevice(const std::string& device) {
    m_ui->deviceList->setCurrentIndex(static_cast<int>(app::FindDeviceEntry(m_devices, device)));
}

void CSetupDlg::FindReader() {
    std::unique_ptr<CFindReaderDlg> search;
    app::FindReaderHooks hooks;
    hooks.listPcscReaders = m_targets.listPcscReaders;
    hooks.openSearchWindow = [&] {
        search = std::make_unique<CFindReaderDlg>(this);
        search->show();
    };
    hooks.showCandidate = [&](const std::string& device) {
        if (search) search->ShowCandidate(FromCp1250(device));
    };
    hooks.closeSearchWindow = [&] { search.reset(); };

    const std::optional<std::string> found = app::FindReader(m_targets.context, hooks);
    // The search has changed the reader in use; the setting follows it as it does every open.
    m_targets.settings.device = m_targets.context.DeviceName();
    if (found) {
        SelectDevice(*found);
        ShowMessageBox(this, StringOf(resources::string_id::kReaderConnectedToPort) + SystemTextToCp1250(*found),
                       card::MessageIcon::Information);
    } else {
        SelectDevice(app::ApplicationContext::kNoDevice);
        ShowMessageBox(this, resources::LoadString(resources::string_id::kNoReaderFound),
                       card::MessageIcon::Information);
    }
}

void CSetupDlg::ChooseCountryCode() {
    CountryListDialog countries(this);
    if (countries.exec() != QDialog::Accepted || countries.ChosenCode().empty()) return;
    std::string code = countries.ChosenCode();
    if (code.front() == '+') code.erase(0, 1);
    m_ui->countryCodeEdit->setText(FromCp1250(code));
}

void CSetupDlg::accept() {
    std::string countryCode = ToCp1250(m_ui->countryCodeEdit->text());
    const std::string prefix = ToCp1250(m_ui->prefixEdit->text());
    switch (app::CheckSetupValues(countryCode, prefix)) {
        case app::SetupCheck::BadCountryCode:
            ShowMessageBox(this, resources::LoadString(resources::string_id::kBadCountryCode),
                           card::MessageIcon::Error);
            return;
        case app::SetupCheck::BadPrefix:
            ShowMessageBox(this, resources::LoadString(resources::string_id::kBadPrefix), card::MessageIcon::Error);
            return;
        case app::SetupCheck::Ok:
            break;
    }

    const std::string device = m_ui->deviceList->currentText().toStdString();
    const reader::ReaderResult result = m_targets.context.OpenReaderByName(device);
    if (result != reader::result::kOk) {
        m_targets.settings.device = m_targets.context.DeviceName();
        ShowMessageBox(this,
                       StringOf(resources::string_id::kReaderInaccessibleVia) + SystemTextToCp1250(device) +
                           "\r\n  ->  " + std::string(reader::ReaderResultText(result)),
                       card::MessageIcon::Exclamation);
        return;
    }

    app::AppSettings& settings = m_targets.settings;
    settings.device = m_targets.context.DeviceName();
    settings.autoRead = m_ui->autoReadBox->isChecked() ? 1 : 0;
    settings.confirm = m_ui->confirmBox->isChecked() ? 1 : 0;
    settings.screenFree = 1;
    settings.startAsToolbar = m_ui->toolbarBox->isChecked() ? 1 : 0;
    settings.myCountryCode = countryCode;
    settings.internationalPrefix = prefix;
    settings.useCache = m_ui->cacheBox->isChecked() ? 1 : 0;
    settings.verifyWrites = m_ui->verifyBox->isChecked() ? 1 : 0;
    m_targets.context.SetCacheEnabled(settings.useCache != 0);
    m_targets.context.SetVerifyWrites(settings.verifyWrites != 0);
    app::SaveSettings(m_targets.store, settings);
    QDialog::accept();
}

}  // namespace quillet::ui
