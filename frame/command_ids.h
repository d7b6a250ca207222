// The editor's command identifiers. The numbers are those of the program's menus, toolbar and
// accelerators, kept so that every table keyed by them reads the same.
#pragma once

namespace cyrvert {

enum class CommandId : int {
  // Engine and clipboard commands.
  kCyrvert = 32771,
  kTranslate = 32772,
  kStop = 32773,
  kCyrvertClipboard = 32775,
  kOptions = 32777,
  kCloseAll = 32779,
  kCloseNonIconised = 32780,
  kRestore = 32783,
  // Import from a transport encoding.
  kImportUtf7 = 32788,
  kImportUtf8 = 32789,
  kImportQuotedPrintable = 32790,
  kImportBase64 = 32791,
  kImportUucode = 32792,
  kImportAuto = 32793,
  kImportUnix = 32799,
  // Export to a transport encoding.
  kExportUtf8 = 32794,
  kExportQuotedPrintable = 32795,
  kExportBase64 = 32796,
  kExportUucode = 32797,
  kExportUnix = 32798,
  kExportUtf7 = 32800,
  kSetFont = 32801,
  kSetEighthBit = 32802,
  kTxtAssociation = 32803,
  kSmartRepair = 32804,
  // File.
  kFileNew = 57600,
  kFileOpen = 57601,
  kFileClose = 57602,
  kFileSave = 57603,
  kFileSaveAs = 57604,
  kFilePrintSetup = 57606,
  kFilePrint = 57607,
  kFilePrintDirect = 57608,
  kFilePrintPreview = 57609,
  kFileMru1 = 57616,  // 57616..57619: the recent files
  // Edit.
  kEditCopy = 57634,
  kEditCut = 57635,
  kEditFind = 57636,
  kEditPaste = 57637,
  kEditRepeat = 57640,
  kEditReplace = 57641,
  kEditSelectAll = 57642,
  kEditUndo = 57643,
  // Window.
  kWindowArrange = 57649,
  kWindowCascade = 57650,
  kWindowTile = 57651,
  // Application and help.
  kAppAbout = 57664,
  kAppExit = 57665,
  kHelpFinder = 57667,
  kContextHelp = 57669,
  kHelp = 57670,
  kNextPane = 57680,
  kPrevPane = 57681,
  // View.
  kViewToolbar = 59392,
  kViewStatusBar = 59393,
};

}  // namespace cyrvert
