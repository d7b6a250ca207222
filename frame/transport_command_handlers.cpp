#include "frame/transport_command_handlers.h"

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
      CCyrvertView* view = frame.ActiveView();
      if (view == nullptr) return;
      // The frame holds back the clipboard monitor and closing the program while a command
      // runs, its dialogs and its conversion included; the busy flag is a search's alone.
      CEngineCommandHost host(app, frame, view);
      CTransportUi ui(host, *view);
      TransportCommand(command, *view, host, ui);
    });
  }
}

}  // namespace cyrvert
