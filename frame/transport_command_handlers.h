// The items of the "Import from..." and "Export to..." submenus on the active view.
#pragma once

namespace cyrvert {

class AppServices;
class CMainFrame;

// Gives the frame's import and export commands their handlers; each runs on the whole text
// of the active view.
void ConnectTransportCommands(CMainFrame& frame, AppServices& app);

}  // namespace cyrvert
