#include "ui/FileDialogs.h"

#include <QFile>
#include <QFileDialog>

#include "resources/StringTable.h"
#include "ui/Cp1250.h"

namespace quillet::ui {

namespace {

// "All files (*.*)"
constexpr std::uint32_t kAllFilesId = 57903;

QString Filters(const FileType& type) {
    const QString pattern = QString::fromLatin1(type.pattern);
    return FromCp1250(resources::LoadString(type.nameId)) + QStringLiteral(" (%1 %2)").arg(pattern, pattern.toLower()) +
           QStringLiteral(";;") + FromCp1250(resources::LoadString(kAllFilesId));
}

std::optional<std::string> Ask(QWidget* parent, std::uint32_t titleId, const FileType& type,
                               QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, FromCp1250(resources::LoadString(titleId)), QString(), Filters(type));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ReadOnly, false);
    const QString suffix = QString::fromLatin1(type.pattern).section(QLatin1Char('.'), 1).toLower();
    if (mode == QFileDialog::AcceptSave) dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

}  // namespace

std::optional<std::string> AskOpenPath(QWidget* parent, std::uint32_t titleId, const FileType& type) {
    return Ask(parent, titleId, type, QFileDialog::AcceptOpen);
}

std::optional<std::string> AskSavePath(QWidget* parent, std::uint32_t titleId, const FileType& type) {
    return Ask(parent, titleId, type, QFileDialog::AcceptSave);
}

}  // namespace quillet::ui
