// The program's own message texts and captions, shared by the editor and cyrvert-cli.
// Kept in UTF-8; the editor shows them as they stand, the command line prints them.
#pragma once

#include <string_view>

namespace cyrvert::strings {

inline constexpr std::string_view kAppTitle = "cyrvert";

// Engine commands.
inline constexpr std::string_view kNoText = "Нет текста!";
// Memory ran out: every command's message but the auto-decode's.
inline constexpr std::string_view kNotEnoughMemory = "Недостаточно памяти!";
inline constexpr std::string_view kTooFewLetters =
    "Слишком мало символов из второй \nчасти таблицы (меньше 10)!\n";
inline constexpr std::string_view kNothingFound =
    "Не найдено ни одного подходящего варианта.\n"
    "Попробуйте увеличить глубину просмотра или чувствительность.";
inline constexpr std::string_view kStoppedByUser = "Перекодировка прервана пользователем!";
// The auto-decode's own wording when a result window gets no memory.
inline constexpr std::string_view kNoMemory = "Не хватает памяти!";
inline constexpr std::string_view kSmartRepairCaption = "Smart repair";
inline constexpr std::string_view kNotDamaged = "Текст не повреждён: восстанавливать нечего.";
inline constexpr std::string_view kCannotRepair =
    "Текст не удаётся восстановить: ни одна цепочка перекодировок\n"
    "не даёт русского текста, или текст слишком короткий.";

// Transport commands.
inline constexpr std::string_view kUtf7DecodeError =
    "Невозможно декодировать этот текст методом UTF-7!";
inline constexpr std::string_view kUtf7DecodeCaption = "UTF-7 decode ERROR";
inline constexpr std::string_view kUtf8DecodeError =
    "Невозможно декодировать этот текст методом UTF-8!";
inline constexpr std::string_view kUtf8DecodeCaption = "UTF-8 decode ERROR";
inline constexpr std::string_view kBase64DecodeError =
    "Невозможно декодировать этот текст методом BASE64!";
inline constexpr std::string_view kBase64DecodeCaption = "BASE64 ERROR";
inline constexpr std::string_view kQpDecodeError =
    "Невозможно декодировать этот текст методом Quoted-Printable!";
inline constexpr std::string_view kQpDecodeCaption = "Quoted-Printable ERROR";
inline constexpr std::string_view kUuDecodeError =
    "Невозможно декодировать этот текст методом UUCODE!";
inline constexpr std::string_view kUuDecodeCaption = "Uudecode ERROR";
inline constexpr std::string_view kImportCanceled = "Импорт отменен!";
inline constexpr std::string_view kImportCanceledCaption = "Import canceled";
inline constexpr std::string_view kUtf8ExportCanceled = "Экспорт в UTF-8 отменен!";
inline constexpr std::string_view kUtf8ExportCanceledCaption = "Export to UTF-8 canceled";
// Followed by the file's name and the system's reason on lines of their own.
inline constexpr std::string_view kSaveResultFailed = "Не удалось сохранить результат в файл";
inline constexpr std::string_view kNotImplemented = "Эта возможнсть пока не реализована";
inline constexpr std::string_view kNotImplementedCaption = "Sorry";

// Editor frame and options dialog.
// The range message of a numeric dialog field; %1 and %2 are the bounds.
inline constexpr std::string_view kParseIntRange = "Please enter an integer between %1 and %2.";
// Help Topics and F1 when no help file is installed, or nothing can show it.
inline constexpr std::string_view kHelpNotFound = "Файл справки (README) не найден.";
inline constexpr std::string_view kHelpNotOpened =
    "Не найдена программа, которая может показать файл справки:\n";
// The idle text of the status bar's message pane.
inline constexpr std::string_view kIdleStatus = "For Help, press F1";

// Documents.
inline constexpr std::string_view kAskToSave = "Save changes to %1?";
inline constexpr std::string_view kFailedToOpenDocument = "Failed to open document.";
inline constexpr std::string_view kFailedToSaveDocument = "Failed to save document.";

}  // namespace cyrvert::strings
