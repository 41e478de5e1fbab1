#include "ui/QtSettingsStore.h"

#include "ui/Cp1250.h"

namespace quillet::ui {

QtSettingsStore::QtSettingsStore() : m_settings(QStringLiteral("Ostrakon"), QStringLiteral("Quillet! 3.5")) {}

namespace {

// The reader's settings hold device names and file paths, the system's own text; the other
// sections hold card text (names, numbers), which the core keeps as Windows-1250 bytes.
bool HoldsSystemText(const std::string& section) { return section == "commData"; }

}  // namespace

QString QtSettingsStore::KeyOf(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}

std::string QtSettingsStore::ReadString(const std::string& section, const std::string& key,
                                        const std::string& fallback) const {
    const QVariant value = m_settings.value(KeyOf(section, key));
    if (!value.isValid()) return fallback;
    return HoldsSystemText(section) ? value.toString().toStdString() : ToCp1250(value.toString());
}

void QtSettingsStore::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    m_settings.setValue(KeyOf(section, key),
                        HoldsSystemText(section) ? QString::fromStdString(value) : FromCp1250(value));
}

// An unreadable value counts as missing.
int QtSettingsStore::ReadInt(const std::string& section, const std::string& key, int fallback) const {
    bool ok = false;
    const int value = m_settings.value(KeyOf(section, key)).toInt(&ok);
    return ok ? value : fallback;
}

void QtSettingsStore::WriteInt(const std::string& section, const std::string& key, int value) {
    m_settings.setValue(KeyOf(section, key), value);
}

}  // namespace quillet::ui
