#include "frame/transport_command_handlers.h"

#include <QPointer>

#include "commands/transport_command.h"
#include "docview/cyrvert_view.h"
#include "frame/app_services.h"
#include "frame/command_ids.h"
#include "frame/engine_commands.h"
#include "frame/main_frame.h"
#include "frame/transport_ui.h"

namespace cyrvert {
namespace detail {
namespace {

// Menu item and command.
struct TransportItem {
  CommandId item;
  TransportCommandId command;
};

constexpr TransportItem kTransportItems[] = {
    {CommandId::kImportUtf7, TransportCommandId::kImportUtf7},
    {CommandId::kImportUtf8, TransportCommandId::kImportUtf8},
    {CommandId::kImportQuotedPrintable, TransportCommandId::kImportQuotedPrintable},
    {CommandId::kImportBase64, TransportCommandId::kImportBase64},
    {CommandId::kImportUucode, TransportCommandId::kImportUu},
    {CommandId::kImportUnix, TransportCommandId::kImportUnix},
    {CommandId::kImportAuto, TransportCommandId::kImportAuto},
    {CommandId::kExportUtf7, TransportCommandId::kExportUtf7},
    {CommandId::kExportUtf8, TransportCommandId::kExportUtf8},
    {CommandId::kExportQuotedPrintable, TransportCommandId::kExportQuotedPrintable},
    {CommandId::kExportBase64, TransportCommandId::kExportBase64},
    {CommandId::kExportUucode, TransportCommandId::kExportUu},
    {CommandId::kExportUnix, TransportCommandId::kExportUnix},
};

}  // namespace
}  // namespace detail

void ConnectTransportCommands(CMainFrame& frame, AppServices& app) {
  for (const detail::TransportItem& item : detail::kTransportItems) {
    frame.SetCommandHandler(item.item, [&frame, &app, command = item.command] {
      const QPointer<CCyrvertView> view = frame.ActiveView();
      if (view == nullptr) return;
      CEngineCommandHost host(app, frame, view);
      // Timers and painting run while the text converts; meanwhile the frame counts as busy,
      // so that the clipboard monitor and closing the program wait. A search under way,
      // which may have let this command in, stays busy.
      struct BusyScope {
        CEngineCommandHost& host;
        const bool was_busy;
        ~BusyScope() { host.SetEngineBusy(was_busy); }
      } busy{host, frame.m_bEngineBusy};
      host.SetEngineBusy(true);
      CTransportUi ui(view);
      TransportCommand(command, *view, host, ui);
    });
  }
}

}  // namespace cyrvert
