#include "ui/CMainApp.h"

#include <QApplication>
#include <QPixmapCache>

#include "reader/ScLinkReader.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/CMainFrame.h"
#include "ui/CProgramInfoDlg.h"
#include "ui/Cp1250.h"
#include "ui/EditorWindows.h"
#include "ui/MessageBoxes.h"

namespace quillet::ui {

namespace {

// The program draws few pixmaps: its toolbar and the standard icons of its dialogs. Each file
// dialog makes its icons afresh, and Qt's 10 MB pixmap cache would keep every one of them until it
// is full; half a megabyte holds all the program shows at once.
constexpr int kPixmapCacheKilobytes = 512;

}  // namespace

CMainApp::CMainApp(EditorCatalog* editors)
    : listPcscReaders(&reader::ScLinkReader::ListGatewayReaders),
      m_settings(app::AppSettings::Defaults()),
      m_readers(m_store),
      m_ownEditors(editors ? nullptr : std::make_unique<EditorWindows>(*this)),
      m_editors(editors ? editors : m_ownEditors.get()),
      m_context(std::make_unique<app::ApplicationContext>(m_readers, m_ui, m_priority)) {}

// The windows go first; the context then ends the session before it lets the reader go.
CMainApp::~CMainApp() {
    m_frame.reset();
    m_context.reset();
}

bool CMainApp::StartUp(const StartupOptions& options) {
    QPixmapCache::setCacheLimit(kPixmapCacheKilobytes);
    app::LoadSettings(m_store, m_settings);
    m_context->SetCacheEnabled(m_settings.useCache != 0);
    m_context->SetVerifyWrites(m_settings.verifyWrites != 0);

    m_frame = std::make_unique<CMainFrame>(*this);
    if (onFramePainted) QObject::connect(m_frame.get(), &CMainFrame::FirstPainted, onFramePainted);
    m_ui.SetMainWindow(m_frame.get());
    if (m_settings.startAsToolbar != 0) m_frame->ShrinkToToolbar();
    m_frame->show();
    m_frame->UpdateMenus();
    m_frame->repaint();

    if (options.programInfoSeconds > 0) {
        CProgramInfoDlg info(m_frame.get());
        info.DoModalTimed(options.programInfoSeconds);
    }
    OpenStartupReader(options);
    return true;
}

// A device given for this run is opened without being stored; the stored one, when it fails,
// becomes "NOTHING" in memory as the reader does.
void CMainApp::OpenStartupReader(const StartupOptions& options) {
    const std::string device = options.device.value_or(m_settings.device);
    const reader::ReaderResult result = m_context->OpenReaderByName(device);
    if (!options.device) m_settings.device = m_context->DeviceName();
    if (result == reader::result::kOk) return;
    ShowMessageBox(m_frame.get(),
                   std::string(resources::LoadString(resources::string_id::kReaderInaccessibleVia)) + " :\r\n" +
                       SystemTextToCp1250(device) + " - " + std::string(reader::ReaderResultText(result)),
                   card::MessageIcon::Exclamation);
}

}  // namespace quillet::ui
