// The frame's commands as data: menu texts, prompts, keys, the two menus and the toolbar.
#pragma once

#include <array>
#include <span>

#include "frame/command_ids.h"
#include "transport/transport_format.h"

namespace cyrvert {

// Who carries a command: the frame (always reachable) or the active document window
// (disabled when there is none).
enum class CommandScope { kFrame, kView };

// One command.
struct CommandInfo {
  CommandId id;
  const char* text;    // menu text; after "\t" the key it shows
  const char* prompt;  // status-bar prompt, then "\n" and the toolbar tooltip; may be empty
  const char* icon;    // toolbar icon resource, or null
  CommandScope scope;  // frame or view command
  bool checkable;      // shows a check mark
};

// One key of the accelerator table.
struct Accelerator {
  const char* key;  // in QKeySequence's portable form
  CommandId id;
};

// Special entries of the menu tables.
enum class MenuItemKind { kCommand, kSeparator, kRecentFiles, kImport, kExport, kWindowList };

// One menu entry.
struct MenuItem {
  MenuItemKind kind;
  CommandId id;  // for kCommand
};

// One top-level menu.
struct MenuInfo {
  const char* title;
  std::span<const MenuItem> items;
};

// The menu items of one encoding's import and export.
struct TransportItemIds {
  CommandId import_id;
  CommandId export_id;
};

// The transport menu items, in TransportFormat order.
inline constexpr std::array<TransportItemIds, kTransportFormatCount> kTransportItemIds = {{
    {CommandId::kImportUtf7, CommandId::kExportUtf7},
    {CommandId::kImportUtf8, CommandId::kExportUtf8},
    {CommandId::kImportQuotedPrintable, CommandId::kExportQuotedPrintable},
    {CommandId::kImportBase64, CommandId::kExportBase64},
    {CommandId::kImportUucode, CommandId::kExportUucode},
    {CommandId::kImportUnix, CommandId::kExportUnix},
}};

// Every command the frame builds an action for.
std::span<const CommandInfo> Commands();
// The accelerator table.
std::span<const Accelerator> Accelerators();
// The menu shown while no document is open.
std::span<const MenuInfo> NoDocumentMenu();
// The menu shown while a document is open.
std::span<const MenuInfo> DocumentMenu();
// The "Import from..." and "Export to..." submenus.
std::span<const CommandId> ImportCommands();
std::span<const CommandId> ExportCommands();
// Toolbar buttons in order; kSeparator entries mark gaps.
std::span<const MenuItem> ToolbarButtons();

// The entry for `id`, or null.
const CommandInfo* FindCommand(CommandId id);

}  // namespace cyrvert
