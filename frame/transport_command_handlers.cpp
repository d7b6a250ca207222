#include "frame/transport_command_handlers.h"

#include <QPointer>
#include <cstddef>
#include <utility>

#include "commands/transport_command.h"
#include "docview/cyrvert_view.h"
#include "frame/app_services.h"
#include "frame/command_ids.h"
#include "frame/command_table.h"
#include "frame/engine_commands.h"
#include "frame/main_frame.h"
#include "frame/transport_ui.h"

namespace cyrvert {

void ConnectTransportCommands(CMainFrame& frame, AppServices& app) {
  // `run(view, host)` on the active view, if there is one.
  const auto connect = [&frame, &app](CommandId item, auto run) {
    frame.SetCommandHandler(item, [&frame, &app, run] {
      const QPointer<CCyrvertView> view = frame.ActiveView();
      if (view == nullptr) return;
      // The frame holds back the clipboard monitor and closing the program while a command
      // runs, its dialogs and its conversion included; the busy flag is a search's alone.
      CEngineCommandHost host(app, frame, view);
      run(view, host);
    });
  };
  for (std::size_t f = 0; f < kTransportItemIds.size(); ++f) {
    const auto format = static_cast<TransportFormat>(f);
    for (const auto& [item, command] :
         {std::pair{kTransportItemIds[f].import_id, ImportFrom(format)},
          std::pair{kTransportItemIds[f].export_id, ExportTo(format)}}) {
      connect(item, [command](const QPointer<CCyrvertView>& view, CEngineCommandHost& host) {
        CTransportUi ui(host, *view);
        TransportCommand(command, *view, host, ui);
      });
    }
  }
  connect(CommandId::kImportAuto,
          [](const QPointer<CCyrvertView>&, CEngineCommandHost& host) { AutoImportCommand(host); });
}

}  // namespace cyrvert
