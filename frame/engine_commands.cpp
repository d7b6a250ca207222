#include "frame/engine_commands.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>

#include "commands/auto_decode.h"
#include "commands/smart_repair_command.h"
#include "commands/translate.h"
#include "dialogs/progress_dlg.h"
#include "dialogs/translate_dlg.h"
#include "dialogs/variant_list_dlg.h"
#include "docview/child_frame.h"
#include "docview/cyrvert_view.h"
#include "frame/app_services.h"
#include "frame/command_ids.h"
#include "frame/main_frame.h"

namespace cyrvert {
namespace detail {
namespace {

// The searched view as the auto-decode command sees it: closing the window also greys the
// Close item of its system menu.
class SearchedView : public DocumentHost {
 public:
  explicit SearchedView(CCyrvertView& view) : m_view(view) {}
  std::string GetViewText() const override { return m_view.GetViewText(); }
  bool PutViewText(std::string_view text) override { return m_view.PutViewText(text); }
  std::string Title() const override { return m_view.Title(); }
  void SetTitle(std::string_view title) override { m_view.SetTitle(title); }
  void SetModified(bool modified) override { m_view.SetModified(modified); }
  void SetReadOnly(bool read_only) override { m_view.SetReadOnly(read_only); }
  void SetCloseAllowed(bool allowed) override {
    m_view.SetCloseAllowed(allowed);
    if (QAction* close = SystemMenuClose()) close->setEnabled(allowed);
  }
  void Redraw() override { m_view.Redraw(); }
  void CloseWindow() override { m_view.CloseWindow(); }

 private:
  // The Close item of the window's system menu, or null.
  QAction* SystemMenuClose() const {
    CChildFrame* child = m_view.GetParentFrame();
    QMenu* menu = child != nullptr ? child->systemMenu() : nullptr;
    if (menu == nullptr) return nullptr;
    for (QAction* action : menu->actions()) {
      if (action->shortcut() == QKeySequence(QKeySequence::Close)) return action;
    }
    return nullptr;
  }

  CCyrvertView& m_view;
};

}  // namespace
}  // namespace detail

CEngineCommandHost::CEngineCommandHost(AppServices& app, CMainFrame& frame, CCyrvertView* searched)
    : m_app(app), m_frame(frame), m_owner(frame, searched) {
  m_views.Track(searched);
}

CEngineCommandHost::~CEngineCommandHost() = default;

DocumentHost* CEngineCommandHost::OpenNewDocumentWindow() {
  return m_views.Track(m_frame.OpenNewDocumentWindow());
}

CCyrvertView* CEngineCommandHost::ViewOf(const DocumentHost* document) const {
  return m_views.Find(document);
}

void CEngineCommandHost::ShowMessage(std::string_view text, std::string_view caption,
                                     MessageIcon icon) {
  m_app.Boxes().ShowMessage(text, caption, icon);
}

void CEngineCommandHost::Beep(int, int) {
  // The platform beep has no pitch or length of its own.
  QApplication::beep();
}

const Settings& CEngineCommandHost::CurrentSettings() const { return m_app.CurrentSettings(); }

bool CEngineCommandHost::PumpPendingMessages() { return m_app.PumpPendingMessages(); }

void CEngineCommandHost::PostQuit() { m_app.PostQuitRequest(); }

bool CEngineCommandHost::IsMinimised() const { return m_frame.isMinimized(); }

void CEngineCommandHost::SetEngineBusy(bool busy) {
  m_frame.m_bEngineBusy = busy;
  m_frame.UpdateActions();
}

bool CEngineCommandHost::StopRequested() const { return m_frame.m_bStopRequested; }

void CEngineCommandHost::ClearStopRequest() { m_frame.m_bStopRequested = false; }

void CEngineCommandHost::OpenProgress(int lower, int upper, int position) {
  m_pProgress = std::make_unique<CProgressDlg>([this] { m_frame.OnStop(); }, &m_frame);
  m_pProgress->SetRange(lower, upper);
  m_pProgress->SetPos(position);
  m_pProgress->show();
}

void CEngineCommandHost::SetProgress(int position) {
  if (m_pProgress) m_pProgress->SetPos(position);
}

void CEngineCommandHost::CloseProgress() { m_pProgress.reset(); }

void CEngineCommandHost::ShowVariantList(const std::vector<std::string>& previews,
                                         const std::vector<Variant>& variants,
                                         const std::function<void(const Variant&)>& open) {
  CVariantListDlg dlg(m_frame.MessageOwner());
  dlg.SetVariants(previews, variants, open);
  dlg.exec();
}

CCyrvertView* AutoDecodeView(AppServices& app, CMainFrame& frame, CCyrvertView& view, bool silent) {
  CEngineCommandHost host(app, frame, &view);
  const Settings& s = app.CurrentSettings();
  AutoDecodeOptions options;
  options.depth = s.Depth;
  options.sense = s.Sense;
  options.n_best = s.N_best;
  options.out_to = s.Out_to;
  options.silent = silent;
  detail::SearchedView searched(view);
  const AutoDecodeResult result = AutoDecode(searched, host, options);
  return host.ViewOf(result.view);
}

void ConnectEngineCommands(CMainFrame& frame, AppServices& app) {
  // A run greys the commands that would start another.
  const auto idle = [&frame] { return frame.IsIdle(); };
  frame.SetCommandHandler(
      CommandId::kCyrvert,
      [&frame, &app] {
        if (CCyrvertView* view = frame.ActiveView(); view != nullptr && frame.IsIdle()) {
          AutoDecodeView(app, frame, *view, false);
        }
      },
      idle);
  frame.SetCommandHandler(
      CommandId::kSmartRepair,
      [&frame, &app] {
        if (CCyrvertView* view = frame.ActiveView(); view != nullptr && frame.IsIdle()) {
          CEngineCommandHost host(app, frame);
          SmartRepairText(*view, host);
        }
      },
      idle);
  frame.SetCommandHandler(
      CommandId::kTranslate,
      [&frame, &app] {
        QPointer<CCyrvertView> view = frame.ActiveView();
        if (view == nullptr || !frame.IsIdle()) return;
        CTranslateDlg dlg(&frame);
        if (dlg.exec() != QDialog::Accepted || view == nullptr) return;
        CEngineCommandHost host(app, frame);
        TranslateText(*view, host, dlg.Direction());
      },
      idle);
  frame.SetCommandHandler(CommandId::kSetEighthBit, [&frame, &app] {
    if (CCyrvertView* view = frame.ActiveView()) {
      CEngineCommandHost host(app, frame);
      SetEighthBit(*view, host);
    }
  });
}

}  // namespace cyrvert
