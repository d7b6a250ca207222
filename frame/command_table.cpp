#include "frame/command_table.h"

#include <array>
#include <cstddef>
#include <iterator>
#include <utility>

#include "commands/transport_command.h"

namespace cyrvert {

namespace {

using C = CommandId;
constexpr CommandScope F = CommandScope::kFrame;
constexpr CommandScope V = CommandScope::kView;

constexpr CommandInfo kFixedCommands[] = {
    // File.
    {C::kFileNew, "&New\tCtrl+N", "Create a new document\nNew", "tb_new", F, false},
    {C::kFileOpen, "&Open...\tCtrl+O", "Open an existing document\nOpen", "tb_open", F, false},
    {C::kFileClose, "&Close", "Close the active document\nClose", nullptr, V, false},
    {C::kFileSave, "&Save\tCtrl+S", "Save the active document\nSave", "tb_save", V, false},
    {C::kFileSaveAs, "Save &As...", "Save the active document with a new name\nSave As", nullptr, V,
     false},
    {C::kFilePrint, "&Print...\tCtrl+P", "Print the active document\nPrint", nullptr, V, false},
    {C::kFilePrintDirect, "Print &Direct", "Print the active document at once\nPrint", nullptr, V,
     false},
    {C::kFilePrintPreview, "Print Pre&view", "Display full pages\nPrint Preview", nullptr, V,
     false},
    {C::kFilePrintSetup, "P&rint Setup...", "Change the printer and printing options\nPrint Setup",
     nullptr, F, false},
    {C::kAppExit, "E&xit", "Quit the application; prompts to save documents\nExit", nullptr, F,
     false},
    // Edit.
    {C::kEditUndo, "&Undo\tCtrl+Z", "Undo the last action\nUndo", nullptr, V, false},
    {C::kEditCut, "Cu&t\tCtrl+X", "Cut the selection and put it on the Clipboard\nCut", "tb_cut", V,
     false},
    {C::kEditCopy, "&Copy\tCtrl+C", "Copy the selection and put it on the Clipboard\nCopy",
     "tb_copy", V, false},
    {C::kEditPaste, "&Paste\tCtrl+V", "Insert Clipboard contents\nPaste", "tb_paste", V, false},
    {C::kEditSelectAll, "Select &All\tCtrl+A", "Select the entire document\nSelect All", nullptr, V,
     false},
    {C::kEditFind, "&Find...\tCtrl+F", "Find the specified text\nFind", nullptr, V, false},
    {C::kEditRepeat, "Find &Next\tF3", "Repeat the last action\nFind Next", nullptr, V, false},
    {C::kEditReplace, "R&eplace...\tCtrl+H", "Replace specific text with different text\nReplace",
     nullptr, V, false},
    // Recoding.
    {C::kCyrvert, "C&yrvert\tCtrl+Y", "Cyrvert the active document\nCyrvert", "tb_cyrvert", V,
     false},
    {C::kSmartRepair, "S&mart repair\tCtrl+Shift+Y",
     "Repair a damaged text, UTF-8 mix-ups included, or tell that it is not damaged\nSmart "
     "repair",
     "tb_smart", V, false},
    {C::kTranslate, "&Translate...\tCtrl+T", "Translate the active document\nTranslate",
     "tb_translate", V, false},
    {C::kSetEighthBit, "Set &8-th bit", "Set 8-th bit to 1\nSet 8-th bit to 1", "tb_eighth", V,
     false},
    {C::kCyrvertClipboard, "Cyrvert clip&board\tCtrl+B", "Cyrvert clipboard\nCyrvert clipboard",
     "tb_clipboard", F, false},
    {C::kStop, "Stop\tEsc", "Stop current work\nStop", "tb_stop", F, false},
    {C::kOptions, "&Options", "Set options\noptions", "tb_options", F, false},
    {C::kSetFont, "Set font", "Set font for proper displaying text\nSet font", nullptr, F, false},
    {C::kTxtAssociation, ".txt association",
     "Associate .txt files with CyrVert\nset .txt association", nullptr, F, true},
    // Transport encodings: the import and export items come from the transport table.
    {C::kImportAuto, "&Auto...", "Try automaticaly detect proper transport code for import text",
     nullptr, V, false},
    // View.
    {C::kViewToolbar, "&Toolbar", "Show or hide the toolbar\nToggle ToolBar", nullptr, F, true},
    {C::kViewStatusBar, "&Status Bar", "Show or hide the status bar\nToggle StatusBar", nullptr, F,
     true},
    // Window.
    {C::kWindowCascade, "&Cascade", "Arrange windows so they overlap\nCascade Windows", nullptr, V,
     false},
    {C::kWindowTile, "&Tile", "Arrange windows as non-overlapping tiles\nTile Windows", nullptr, V,
     false},
    {C::kWindowArrange, "&Arrange Icons",
     "Arrange icons at the bottom of the window\nArrange "
     "Icons",
     nullptr, V, false},
    {C::kCloseAll, "C&lose All\tCtrl+L", "Close all windows\nClose All", nullptr, V, false},
    {C::kCloseNonIconised, "Close non &iconised\tCtrl+I",
     "Close all windows that are not minimised\nClose non iconised", nullptr, V, false},
    // Keys only: the document windows have one pane each, so the next pane is the next window.
    {C::kNextPane, "Next Pane\tF6", "Switch to the next window pane\nNext Pane", nullptr, V, false},
    {C::kPrevPane, "Previous Pane\tShift+F6",
     "Switch back to the previous window pane\nPrevious Pane", nullptr, V, false},
    // Help.
    {C::kHelpFinder, "&Help Topics", "List Help topics\nHelp Topics", nullptr, F, false},
    {C::kAppAbout, "&About cyrvert...",
     "Display program information, version number and copyright\nAbout", "tb_about", F, false},
    {C::kContextHelp, "&What's This",
     "Display help for clicked on buttons, menus and "
     "windows\nHelp",
     "tb_help", F, false},
    {C::kHelp, "&Help\tF1", "Display help for current task or command\nHelp", nullptr, F, false},
    // Tray.
    {C::kRestore, "Restore", "Restore the main window\nRestore", nullptr, F, false},
};

// The fixed commands, then an import and an export item for each encoding.
constexpr auto kCommands = [] {
  std::array<CommandInfo, std::size(kFixedCommands) + 2 * kTransportFormatCount> all{};
  std::size_t n = 0;
  for (const CommandInfo& info : kFixedCommands) all[n++] = info;
  for (std::size_t f = 0; f < kTransportItemIds.size(); ++f) {
    const auto format = static_cast<TransportFormat>(f);
    for (const auto& [id, command] :
         {std::pair{kTransportItemIds[f].import_id, ImportFrom(format)},
          std::pair{kTransportItemIds[f].export_id, ExportTo(format)}}) {
      all[n++] = {id, MenuEntry(command).text, MenuEntry(command).prompt, nullptr, V, false};
    }
  }
  return all;
}();

constexpr Accelerator kAccelerators[] = {
    {"Ctrl+A", C::kEditSelectAll},
    {"Ctrl+B", C::kCyrvertClipboard},
    {"Ctrl+C", C::kEditCopy},
    {"Ctrl+Ins", C::kEditCopy},
    {"Ctrl+F", C::kEditFind},
    {"Ctrl+H", C::kEditReplace},
    {"Ctrl+I", C::kCloseNonIconised},
    {"Ctrl+L", C::kCloseAll},
    {"Ctrl+N", C::kFileNew},
    {"Ctrl+O", C::kFileOpen},
    {"Ctrl+P", C::kFilePrint},
    {"Ctrl+S", C::kFileSave},
    {"Ctrl+T", C::kTranslate},
    {"Ctrl+V", C::kEditPaste},
    {"Shift+Ins", C::kEditPaste},
    {"Ctrl+X", C::kEditCut},
    {"Shift+Del", C::kEditCut},
    {"Ctrl+Y", C::kCyrvert},
    {"Ctrl+Shift+Y", C::kSmartRepair},
    {"Ctrl+Z", C::kEditUndo},
    {"Alt+Backspace", C::kEditUndo},
    {"F1", C::kHelp},
    {"Shift+F1", C::kContextHelp},
    {"F3", C::kEditRepeat},
    {"F6", C::kNextPane},
    {"Shift+F6", C::kPrevPane},
    {"Esc", C::kStop},
};

constexpr MenuItem Cmd(CommandId id) { return {MenuItemKind::kCommand, id}; }
constexpr MenuItem Special(MenuItemKind kind) { return {kind, CommandId::kFileNew}; }
constexpr MenuItem kSep = Special(MenuItemKind::kSeparator);

constexpr MenuItem kFileMenu128[] = {Cmd(C::kFileNew),
                                     Cmd(C::kFileOpen),
                                     kSep,
                                     Cmd(C::kFilePrintSetup),
                                     kSep,
                                     Cmd(C::kCyrvertClipboard),
                                     kSep,
                                     Special(MenuItemKind::kRecentFiles),
                                     kSep,
                                     Cmd(C::kAppExit)};
constexpr MenuItem kEditMenu128[] = {Cmd(C::kOptions), Cmd(C::kSetFont), Cmd(C::kTxtAssociation)};
constexpr MenuItem kViewMenu[] = {Cmd(C::kViewToolbar), Cmd(C::kViewStatusBar)};
constexpr MenuItem kHelpMenu[] = {Cmd(C::kHelpFinder), kSep, Cmd(C::kAppAbout)};

constexpr MenuItem kFileMenu129[] = {Cmd(C::kFileNew),
                                     Cmd(C::kFileOpen),
                                     Cmd(C::kFileClose),
                                     Cmd(C::kFileSave),
                                     Cmd(C::kFileSaveAs),
                                     kSep,
                                     Special(MenuItemKind::kImport),
                                     Special(MenuItemKind::kExport),
                                     kSep,
                                     Cmd(C::kFilePrint),
                                     Cmd(C::kFilePrintPreview),
                                     Cmd(C::kFilePrintSetup),
                                     kSep,
                                     Special(MenuItemKind::kRecentFiles),
                                     kSep,
                                     Cmd(C::kAppExit)};
constexpr MenuItem kEditMenu129[] = {Cmd(C::kEditUndo),
                                     kSep,
                                     Cmd(C::kEditCut),
                                     Cmd(C::kEditCopy),
                                     Cmd(C::kEditPaste),
                                     Cmd(C::kEditSelectAll),
                                     kSep,
                                     Cmd(C::kEditFind),
                                     Cmd(C::kEditRepeat),
                                     Cmd(C::kEditReplace),
                                     kSep,
                                     Cmd(C::kCyrvert),
                                     Cmd(C::kSmartRepair),
                                     Cmd(C::kTranslate),
                                     Cmd(C::kSetEighthBit),
                                     Cmd(C::kCyrvertClipboard),
                                     Cmd(C::kStop),
                                     kSep,
                                     Cmd(C::kOptions),
                                     Cmd(C::kSetFont),
                                     Cmd(C::kTxtAssociation)};
constexpr MenuItem kWindowMenu[] = {Cmd(C::kWindowCascade),
                                    Cmd(C::kWindowTile),
                                    Cmd(C::kWindowArrange),
                                    kSep,
                                    Cmd(C::kCloseAll),
                                    Cmd(C::kCloseNonIconised),
                                    Special(MenuItemKind::kWindowList)};

constexpr MenuInfo kNoDocumentMenu[] = {
    {"&File", kFileMenu128}, {"&Edit", kEditMenu128}, {"&View", kViewMenu}, {"&Help", kHelpMenu}};
constexpr MenuInfo kDocumentMenu[] = {{"&File", kFileMenu129},
                                      {"&Edit", kEditMenu129},
                                      {"&View", kViewMenu},
                                      {"&Window", kWindowMenu},
                                      {"&Help", kHelpMenu}};

// The "Import from..." and "Export to..." submenus: the encodings in order, then "Auto...".
constexpr auto kImport = [] {
  std::array<CommandId, kTransportFormatCount + 1> ids{};
  for (std::size_t f = 0; f < kTransportItemIds.size(); ++f)
    ids[f] = kTransportItemIds[f].import_id;
  ids.back() = C::kImportAuto;
  return ids;
}();
constexpr auto kExport = [] {
  std::array<CommandId, kTransportFormatCount> ids{};
  for (std::size_t f = 0; f < kTransportItemIds.size(); ++f)
    ids[f] = kTransportItemIds[f].export_id;
  return ids;
}();

constexpr MenuItem kToolbar[] = {Cmd(C::kFileNew),
                                 Cmd(C::kFileOpen),
                                 Cmd(C::kFileSave),
                                 kSep,
                                 Cmd(C::kEditCut),
                                 Cmd(C::kEditCopy),
                                 Cmd(C::kEditPaste),
                                 kSep,
                                 Cmd(C::kCyrvert),
                                 Cmd(C::kSmartRepair),
                                 Cmd(C::kCyrvertClipboard),
                                 Cmd(C::kTranslate),
                                 Cmd(C::kSetEighthBit),
                                 kSep,
                                 Cmd(C::kOptions),
                                 kSep,
                                 Cmd(C::kStop),
                                 kSep,
                                 Cmd(C::kAppAbout),
                                 Cmd(C::kContextHelp)};

}  // namespace

std::span<const CommandInfo> Commands() { return kCommands; }
std::span<const Accelerator> Accelerators() { return kAccelerators; }
std::span<const MenuInfo> NoDocumentMenu() { return kNoDocumentMenu; }
std::span<const MenuInfo> DocumentMenu() { return kDocumentMenu; }
std::span<const CommandId> ImportCommands() { return kImport; }
std::span<const CommandId> ExportCommands() { return kExport; }
std::span<const MenuItem> ToolbarButtons() { return kToolbar; }

const CommandInfo* FindCommand(CommandId id) {
  for (const CommandInfo& info : kCommands) {
    if (info.id == id) return &info;
  }
  return nullptr;
}

}  // namespace cyrvert
