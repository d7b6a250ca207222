// Widget tests of the document window: byte-exact text, files, closing rules, typing and fonts.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMdiArea>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdlib>
#include <new>
#include <string>

#include "docview/child_frame.h"
#include "docview/clipboard_text.h"
#include "docview/cyrvert_doc.h"
#include "docview/cyrvert_view.h"
#include "docview/doc_template.h"
#include "docview/document_prompts.h"
#include "docview/file_bytes.h"
#include "docview/font_description.h"
#include "tests/fakes/fake_prompts.h"

using namespace cyrvert;

// Allocations of at least this many bytes fail while it is not 0: running out of memory on
// demand, in the program and in the editor control alike.
static std::size_t g_refuseFrom = 0;

// Every form is replaced: a sanitizer's runtime brings its own array and no-throw forms, which
// would otherwise neither refuse nor pair with these.
static void* Allocate(std::size_t size) noexcept {
  if (g_refuseFrom != 0 && size >= g_refuseFrom) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new(std::size_t size) {
  if (void* block = Allocate(size)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  if (void* block = Allocate(size)) return block;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

namespace {

// Refuses big allocations for its lifetime.
struct RefuseAllocations {
  explicit RefuseAllocations(std::size_t from) { g_refuseFrom = from; }
  ~RefuseAllocations() { g_refuseFrom = 0; }
};

using test::FakePrompts;

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  return bytes;
}

std::string Bytes(const char* text, std::size_t size) { return std::string(text, size); }

// Types `text` one character at a time, as a keyboard layout would deliver it.
void TypeText(QWidget* widget, const QString& text) {
  for (const QChar ch : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
    QCoreApplication::sendEvent(widget, &release);
  }
}

void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

}  // namespace

class DocViewTest : public QObject {
  Q_OBJECT

 private:
  QMdiArea* m_area = nullptr;
  FakePrompts* m_prompts = nullptr;
  CDocTemplate* m_template = nullptr;

  CCyrvertView* NewView() { return m_template->OpenNewDocument()->GetActiveView(); }

  QStringList Titles() const {
    QStringList titles;
    for (QMdiSubWindow* w : m_area->subWindowList()) titles << w->windowTitle();
    titles.sort();
    return titles;
  }

 private slots:
  void init() {
    m_area = new QMdiArea;
    m_area->resize(800, 600);
    m_area->show();
    m_prompts = new FakePrompts;
    m_template = new CDocTemplate(*m_area, *m_prompts);
  }

  void cleanup() {
    for (QMdiSubWindow* w : m_area->subWindowList()) {
      if (auto* frame = qobject_cast<CChildFrame*>(w)) frame->CloseWithoutAsking();
    }
    FlushDeletes();
    delete m_area;
    FlushDeletes();
    delete m_template;
    delete m_prompts;
  }

  void RoundTrip_data() {
    QTest::addColumn<QByteArray>("bytes");
    const std::string all = AllBytes();
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("all byte values") << QByteArray(all.data(), qsizetype(all.size()));
    QTest::newRow("mixed line ends") << QByteArray("a\r\nb\rc\nd\n\re\r\r\n\n");
    QTest::newRow("NUL inside and at the ends") << QByteArray("\0x\0\0y\0", 6);
    QTest::newRow("lone CR at end") << QByteArray("\xC0\xFF\r");
    QByteArray across(1 << 20, 'a');  // the view takes big texts in 1 MiB slices
    across[(1 << 20) - 1] = '\r';
    QTest::newRow("CR LF across a slice") << across + QByteArray("\nz\r");
    QByteArray random(5 << 20, '\0');
    QRandomGenerator generator(1251);
    for (char& c : random) c = static_cast<char>(generator.bounded(256));
    QTest::newRow("5 MiB random") << random;
  }

  void RoundTrip() {
    QFETCH(QByteArray, bytes);
    CCyrvertView* view = NewView();
    const std::string_view in(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    view->PutViewText(in);
    QVERIFY(view->GetViewText() == in);
    view->PutViewText(in);  // replaces, does not append
    QVERIFY(view->GetViewText() == in);
  }

  void PutViewTextIsNotUndoable() {
    CCyrvertView* view = NewView();
    view->PutViewText("abc");
    view->OnEditUndo();
    QCOMPARE(view->GetViewText(), std::string("abc"));
  }

  void ReadOnlyViewRefusesText() {
    CCyrvertView* view = NewView();
    view->PutViewText("keep");
    view->SetReadOnly(true);
    view->PutViewText("other");
    QTest::keyClicks(view, "zz");
    QCOMPARE(view->GetViewText(), std::string("keep"));
  }

  void TypedText_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("want");
    QTest::newRow("ascii") << QStringLiteral("ab") << QByteArray("ab");
    QTest::newRow("cyrillic") << QStringLiteral("Жё№") << QByteArray("\xC6\xB8\xB9");
    QTest::newRow("no byte") << QStringLiteral("a中ü") << QByteArray("a??");
  }

  void TypedText() {
    QFETCH(QString, typed);
    QFETCH(QByteArray, want);
    CCyrvertView* view = NewView();
    TypeText(view, typed);
    QCOMPARE(QByteArray::fromStdString(view->GetViewText()), want);
  }

  void EnterInsertsCrLf() {
    CCyrvertView* view = NewView();
    view->PutViewText("a\nb");
    QTest::keyClick(view, Qt::Key_End);
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(view->GetViewText(), std::string("a\r\n\nb"));
  }

  void ComposedTextIsMapped() {
    CCyrvertView* view = NewView();
    QInputMethodEvent event;
    event.setCommitString(QStringLiteral("я中"));
    QCoreApplication::sendEvent(view, &event);
    QCOMPARE(view->GetViewText(), std::string("\xFF?"));
  }

  void PasteIsMapped() {
    CCyrvertView* view = NewView();
    QApplication::clipboard()->setText(QStringLiteral("x中Ё\r\n"));
    view->paste();
    QCOMPARE(view->GetViewText(), std::string("x?\xA8\r\n"));
    view->PutViewText("");
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(view->GetViewText(), std::string("x?\xA8\r\n"));
  }

  void ClipboardCarriesBytesExactly_data() {
    QTest::addColumn<QByteArray>("bytes");
    const std::string all = AllBytes();
    QTest::newRow("LF stays LF") << QByteArray("a\nb\n");
    QTest::newRow("mixed line ends") << QByteArray("a\r\nb\rc\n");
    QTest::newRow("NUL stays NUL") << QByteArray("x\0y\0", 4);
    QTest::newRow("0x98 and the high half") << QByteArray("\x98\xC0\xFF\xB8");
    QTest::newRow("all byte values") << QByteArray(all.data(), qsizetype(all.size()));
  }

  void ClipboardCarriesBytesExactly() {
    QFETCH(QByteArray, bytes);
    const std::string in = bytes.toStdString();
    CCyrvertView* source = NewView();
    source->PutViewText(in);
    source->OnEditSelectAll();
    source->copy();
    QCOMPARE(source->GetViewText(), in);

    CCyrvertView* target = NewView();
    target->paste();
    QCOMPARE(target->GetViewText(), in);

    source->cut();
    QCOMPARE(source->GetViewText(), std::string());
    target->PutViewText("");
    QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);  // the editor's own key
    QCOMPARE(target->GetViewText(), in);
  }

  void RectangularSelectionCopiesAndCutsItsLines() {
    CCyrvertView* view = NewView();
    view->PutViewText("abcd\r\n\xC0\xC1\xC2\xC3\r\nwxyz");
    // Columns 1..3 of the three lines (Alt+drag).
    view->SendScintilla(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONANCHOR,
                        view->SendScintilla(QsciScintillaBase::SCI_FINDCOLUMN, 0UL, 1L));
    view->SendScintilla(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONCARET,
                        view->SendScintilla(QsciScintillaBase::SCI_FINDCOLUMN, 2UL, 3L));
    QVERIFY(view->SendScintilla(QsciScintillaBase::SCI_SELECTIONISRECTANGLE) != 0);
    view->copy();
    const std::string rectangle = "bc\r\n\xC1\xC2\r\nxy\r\n";
    QCOMPARE(ClipboardBytes(QApplication::clipboard()->mimeData()), rectangle);
    view->cut();
    QCOMPARE(ClipboardBytes(QApplication::clipboard()->mimeData()), rectangle);
    QCOMPARE(view->GetViewText(), std::string("ad\r\n\xC0\xC3\r\nwz"));
  }

  void PasteGoesAfterTheSelectionWithTheCaretInFront_data() {
    QTest::addColumn<bool>("command");  // the Paste command, or the bare insertion
    QTest::addColumn<QByteArray>("want");
    QTest::addColumn<int>("caret");
    QTest::newRow("Paste replaces the selection") << true << QByteArray("abXYef") << 2;
    QTest::newRow("insertion keeps it") << false << QByteArray("abcdXYef") << 4;
  }

  void PasteGoesAfterTheSelectionWithTheCaretInFront() {
    QFETCH(bool, command);
    QFETCH(QByteArray, want);
    QFETCH(int, caret);
    CCyrvertView* view = NewView();
    view->PutViewText("abcdef");
    view->SetModified(false);
    QApplication::clipboard()->setText(QStringLiteral("XY"));
    view->setSelection(0, 2, 0, 4);
    if (command) {
      view->paste();
    } else {
      view->PasteClipboardText();
    }
    QCOMPARE(QByteArray::fromStdString(view->GetViewText()), want);
    int line = -1;
    int index = -1;
    view->getCursorPosition(&line, &index);
    QCOMPARE(index, caret);
    QVERIFY(!view->hasSelectedText());
    QVERIFY(view->GetDocument()->IsModified());
    view->OnEditUndo();
    QCOMPARE(view->GetViewText(), std::string("abcdef"));
  }

  void ReadOnlyViewOnlyCopies() {
    CCyrvertView* view = NewView();
    view->PutViewText("keep");
    view->OnEditSelectAll();
    view->SetReadOnly(true);
    QApplication::clipboard()->setText(QStringLiteral("other"));
    view->paste();
    QCOMPARE(view->GetViewText(), std::string("keep"));
    view->cut();
    QCOMPARE(view->GetViewText(), std::string("keep"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("keep"));
  }

  void CopiesNameTheirSourceDocument() {
    CCyrvertView* view = NewView();
    view->PutViewText("text");
    view->SetTitle("CyrClip");
    view->OnEditSelectAll();
    view->copy();
    QCOMPARE(CopiedFromTitle(QApplication::clipboard()->mimeData()), QStringLiteral("CyrClip"));
    QApplication::clipboard()->setText(QStringLiteral("from elsewhere"));
    QCOMPARE(CopiedFromTitle(QApplication::clipboard()->mimeData()), QString());
    // Nothing selected: the clipboard keeps what it had.
    view->setSelection(0, 0, 0, 0);
    view->copy();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("from elsewhere"));
  }

  void FindWalksBothWaysAndRoundsOnce() {
    CCyrvertView* view = NewView();
    view->PutViewText("ab \xC6\xE6 AB \xC6");  // "ab Жж AB Ж"
    struct Step {
      QString what;
      bool match_case, forward, found;
      int start;  // selection start after the step
    };
    const Step steps[] = {
        {QStringLiteral("ab"), false, true, true, 0},
        {QStringLiteral("ab"), false, true, true, 6},
        {QStringLiteral("ab"), false, true, true, 0},   // round from the start
        {QStringLiteral("ab"), false, false, true, 6},  // round from the end
        {QStringLiteral("ж"), true, true, true, 4},
        {QStringLiteral("ж"), false, true, true, 9},
        {QStringLiteral("ж"), false, false, true, 4},
        {QStringLiteral("ж"), false, false, true, 3},
        {QStringLiteral("中"), false, true, false, 3},
        {QStringLiteral("ж"), false, false, true, 9},
        {QStringLiteral("AB"), true, true, true, 6},
        {QStringLiteral("AB"), true, true, true, 6},  // the only match finds itself again
        {QStringLiteral("xyz"), false, true, false, 6},
    };
    view->setCursorPosition(0, 0);
    for (const Step& step : steps) {
      QCOMPARE(view->FindText(step.what, step.match_case, false, step.forward), step.found);
      int line = 0, index = 0, line_to = 0, index_to = 0;
      view->getSelection(&line, &index, &line_to, &index_to);
      QCOMPARE(index, step.start);
    }
  }

  void ReplaceMapsTheReplacement() {
    CCyrvertView* view = NewView();
    view->PutViewText("one two one");
    QCOMPARE(view->ReplaceAll(QStringLiteral("one"), QStringLiteral("Я中"), true, false), 2);
    QCOMPARE(view->GetViewText(), std::string("\xDF? two \xDF?"));
    QVERIFY(!view->FindText(QStringLiteral("one"), true, false, true));
  }

  void ReplaceAllIsOneUndoStep() {
    CCyrvertView* view = NewView();
    const std::string text = "one two\r\none\xEE one, ones";
    view->PutViewText(text);
    QSignalSpy changed(view, &QsciScintilla::textChanged);
    QCOMPARE(view->ReplaceAll(QStringLiteral("one"), QStringLiteral("\u0436"), true, true), 2);
    QCOMPARE(view->GetViewText(), std::string("\xE6 two\r\none\xEE \xE6, ones"));
    QTRY_COMPARE(changed.size(), 1);  // told once, after the edit
    view->OnEditUndo();
    QCOMPARE(view->GetViewText(), text);
    QVERIFY(!view->isUndoAvailable());
  }

  void TheCaretStaysLitOverAVeryLongLine() {
    CCyrvertView* view = NewView();
    const auto period = [view] {
      return view->SendScintilla(QsciScintillaBase::SCI_GETCARETPERIOD);
    };
    const long blinking = period();
    QVERIFY(blinking > 0);
    std::string one_line(200000, '\xEE');
    one_line[1000] = '\x8D';  // 8-th bit line ends are no line ends
    one_line[1001] = '\x8A';
    view->PutViewText(one_line);
    QCOMPARE(period(), 0L);
    view->PutViewText("short\r\nlines\r\n");
    QCOMPARE(period(), blinking);
  }

  void CaretMovesDoNotCountTheColumn() {
    // The toolkit's own handler of caret moves counts the caret's column from the start of
    // its line and announces it; the view detaches that handler by name. A plain control
    // announces the move, so the check stands for as long as the name is right.
    QsciScintilla plain;
    CCyrvertView view(nullptr);
    view.PutViewText("first line\r\nsecond line");
    plain.setText(QStringLiteral("first line\r\nsecond line"));
    for (QsciScintilla* editor : {&plain, static_cast<QsciScintilla*>(&view)}) {
      editor->resize(300, 100);
      editor->show();
      QVERIFY(QTest::qWaitForWindowExposed(editor));
    }
    QSignalSpy plain_moves(&plain, &QsciScintilla::cursorPositionChanged);
    QSignalSpy view_moves(&view, &QsciScintilla::cursorPositionChanged);
    for (QsciScintilla* editor : {&plain, static_cast<QsciScintilla*>(&view)}) {
      editor->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 15UL);
      editor->update();
    }
    QTRY_VERIFY(plain_moves.count() > 0);
    QTest::qWait(20);
    QCOMPARE(view_moves.count(), 0);
    QCOMPARE(view.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), 15L);
  }

  void InputMethodsSeeABoundedStretchAroundTheCaret() {
    CCyrvertView* view = NewView();
    view->PutViewText(std::string(5000, 'a') + "\xC6" + std::string(5000, 'b') + "\r\nnext");
    view->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 5000UL);  // before the "Ж"
    QWidget* widget = view;                                       // as the input method asks it
    const QString around = widget->inputMethodQuery(Qt::ImSurroundingText).toString();
    const int cursor = widget->inputMethodQuery(Qt::ImCursorPosition).toInt();
    QCOMPARE(around.size(), 512);
    QCOMPARE(around.mid(cursor, 1), QStringLiteral("\u0416"));
    QCOMPARE(widget->inputMethodQuery(Qt::ImTextBeforeCursor).toString(), around.left(cursor));
    QCOMPARE(widget->inputMethodQuery(Qt::ImAnchorPosition).toInt(), cursor);
  }

  void NoCostlyAccessibleWhileNobodyListens() {
    // The toolkit's own accessible counts the whole text at every repaint; it is made only
    // when assistive technology is active.
    CCyrvertView* view = NewView();
    QVERIFY(!QAccessible::isActive());
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(view);
    QVERIFY(accessible != nullptr);
    QCOMPARE(accessible->role(), QAccessible::EditableText);
    QVERIFY(accessible->textInterface() == nullptr);
  }

  void RunningOutOfMemoryLeavesTheViewUsable() {
    CCyrvertView* other = NewView();
    other->PutViewText("kept");
    CCyrvertView* view = NewView();
    const std::string big(2 << 20, '\xC0');
    {
      RefuseAllocations refuse(1 << 20);
      QVERIFY(!view->PutViewText(big));
      QCOMPARE(view->GetViewText(), std::string());
    }
    QVERIFY(view->PutViewText("small"));
    TypeText(view, QStringLiteral("x"));
    QCOMPARE(view->GetViewText(), std::string("xsmall"));
    QCOMPARE(other->GetViewText(), std::string("kept"));

    view->PutViewText(big);
    {
      RefuseAllocations refuse(1 << 20);
      QCOMPARE(view->ReplaceAll(QStringLiteral("\u0410"), QStringLiteral("b"), true, false),
               CCyrvertView::kNoMemoryForReplace);
    }
    QVERIFY(view->GetViewText() == big);
  }

  void OpeningAFileTooBigForMemoryFailsAlone() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    QCOMPARE(WriteFileBytes(path, std::string(2 << 20, 'a')).error, SaveError::kNone);
    CChildFrame* kept = m_template->OpenNewDocument();
    {
      RefuseAllocations refuse(1 << 20);
      QVERIFY(m_template->OpenDocumentFile(path) == nullptr);
    }
    FlushDeletes();
    QCOMPARE(m_prompts->errors.size(), 1);
    QVERIFY(m_prompts->errors.front().endsWith(QStringLiteral("Cannot allocate memory")));
    QCOMPARE(m_area->subWindowList(), QList<QMdiSubWindow*>{kept});
    QVERIFY(m_template->OpenDocumentFile(path) != nullptr);
  }

  void NewDocumentsAreNumberedAndMaximised() {
    CChildFrame* first = m_template->OpenNewDocument();
    CChildFrame* second = m_template->OpenNewDocument();
    QCOMPARE(first->windowTitle(), QStringLiteral("Cyrvert1"));
    QCOMPARE(second->windowTitle(), QStringLiteral("Cyrvert2"));
    QVERIFY(second->isMaximized());
    QCOMPARE(m_area->currentSubWindow(), second);
    QVERIFY(!second->GetActiveDocument()->IsModified());
    QVERIFY(first->IsCloseAllowed());
  }

  void OpenAndSaveAreByteExact() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string content = AllBytes() + Bytes("\r\n\n\r\0end", 9) + AllBytes();
    const QString in = dir.filePath(QStringLiteral("in.txt"));
    QCOMPARE(WriteFileBytes(in, content).error, SaveError::kNone);

    CChildFrame* frame = m_template->OpenDocumentFile(in);
    QVERIFY(frame != nullptr);
    CCyrvertDoc* doc = frame->GetActiveDocument();
    QCOMPARE(frame->windowTitle(), QStringLiteral("in.txt"));
    QVERIFY(!doc->IsModified());
    QVERIFY(frame->GetActiveView()->GetViewText() == content);
    QCOMPARE(m_template->OpenDocumentFile(in), frame);  // already open: same window

    const QString out = dir.filePath(QStringLiteral("out.txt"));
    m_prompts->save_path = out;
    QTest::keyClick(frame->GetActiveView(), Qt::Key_Delete);  // drops byte 0x00
    QVERIFY(doc->IsModified());
    QVERIFY(doc->DoSave());
    QVERIFY(!doc->IsModified());
    QCOMPARE(doc->GetTitle(), QStringLiteral("out.txt"));
    const ReadResult saved = ReadFileBytes(out);
    QCOMPARE(saved.error, ReadError::kNone);
    QVERIFY(saved.bytes == content.substr(1));
  }

  void FileFailuresAreReported() {
    QTemporaryDir dir;
    QVERIFY(m_template->OpenDocumentFile(dir.filePath(QStringLiteral("missing.txt"))) == nullptr);
    QCOMPARE(m_prompts->errors.size(), 1);
    FlushDeletes();
    QVERIFY(m_area->subWindowList().isEmpty());
    QVERIFY(m_template->Documents().empty());

    CCyrvertDoc* doc = m_template->OpenNewDocument()->GetActiveDocument();
    doc->SetModifiedFlag(true);
    QVERIFY(!doc->OnSaveDocument(dir.filePath(QStringLiteral("no/such/dir/x.txt"))));
    QCOMPARE(m_prompts->errors.size(), 2);
    QVERIFY(doc->IsModified());
  }

  void CloseDocumentWindows_data() {
    QTest::addColumn<int>("minimised");  // bit i: window i minimised
    QTest::addColumn<bool>("include_minimised");
    QTest::addColumn<int>("searched");  // index of a window that may not close, or -1
    QTest::addColumn<QStringList>("left");
    QTest::newRow("close all") << 0b010 << true << -1 << QStringList();
    QTest::newRow("middle minimised") << 0b010 << false << -1 << QStringList{"Cyrvert2"};
    QTest::newRow("all minimised")
        << 0b111 << false << -1 << QStringList{"Cyrvert1", "Cyrvert2", "Cyrvert3"};
    QTest::newRow("none minimised") << 0 << false << -1 << QStringList();
    QTest::newRow("first and last minimised")
        << 0b101 << false << -1 << QStringList{"Cyrvert1", "Cyrvert3"};
    QTest::newRow("searched window stays") << 0 << true << 2 << QStringList{"Cyrvert3"};
    QTest::newRow("searched and minimised")
        << 0b001 << false << 1 << QStringList{"Cyrvert1", "Cyrvert2"};
  }

  void CloseDocumentWindows() {
    QFETCH(int, minimised);
    QFETCH(bool, include_minimised);
    QFETCH(int, searched);
    QFETCH(QStringList, left);
    std::vector<CChildFrame*> frames;
    for (int i = 0; i < 3; ++i) {
      frames.push_back(m_template->OpenNewDocument());
    }
    for (int i = 0; i < 3; ++i) {
      if ((minimised & (1 << i)) == 0) continue;
      CChildFrame* frame = frames[static_cast<std::size_t>(i)];
      m_area->setActiveSubWindow(frame);  // as the user does: the window's own button
      frame->showMinimized();
    }
    if (searched >= 0) frames[static_cast<std::size_t>(searched)]->SetCloseAllowed(false);
    cyrvert::CloseDocumentWindows(*m_area, include_minimised);
    FlushDeletes();
    QCOMPARE(Titles(), left);
    QCOMPARE(m_prompts->asked_to_save, 0);
    QCOMPARE(m_template->Documents().size(), static_cast<std::size_t>(left.size()));
    for (QMdiSubWindow* w : m_area->subWindowList()) {
      QCOMPARE(w->isMinimized(),
               (minimised & (1 << (w->windowTitle().back().digitValue() - 1))) != 0);
    }
  }

  void CloseAllAsksOnlyForEditedDocuments_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<bool>("saved");
    QTest::newRow("no") << int(SaveAnswer::kNo) << QStringList() << false;
    QTest::newRow("yes") << int(SaveAnswer::kYes) << QStringList() << true;
    QTest::newRow("cancel stops the command")
        << int(SaveAnswer::kCancel) << QStringList{"Cyrvert1", "Cyrvert2"} << false;
  }

  void CloseAllAsksOnlyForEditedDocuments() {
    QFETCH(int, answer);
    QFETCH(QStringList, left);
    QFETCH(bool, saved);
    QTemporaryDir dir;
    m_prompts->save_answer = static_cast<SaveAnswer>(answer);
    m_prompts->save_path = dir.filePath(QStringLiteral("edited.txt"));
    for (int i = 0; i < 3; ++i) m_template->OpenNewDocument();
    // The first window is edited by the user; the others are untouched results. The command
    // starts at the active (last) window and comes to the first one next.
    CChildFrame* edited = qobject_cast<CChildFrame*>(m_area->subWindowList().at(0));
    TypeText(edited->GetActiveView(), QStringLiteral("ы"));
    cyrvert::CloseDocumentWindows(*m_area, true);
    FlushDeletes();
    QCOMPARE(m_prompts->asked_to_save, 1);
    QCOMPARE(Titles(), left);
    QCOMPARE(QFile::exists(m_prompts->save_path), saved);
  }

  void CloseIsIgnoredWhileNotAllowed() {
    CChildFrame* frame = m_template->OpenNewDocument();
    QSignalSpy refresh(frame, &CChildFrame::MainMenuRefreshRequested);
    frame->SetCloseAllowed(false);
    QCOMPARE(refresh.size(), 1);
    QVERIFY(!frame->close());
    FlushDeletes();
    QCOMPARE(m_area->subWindowList().size(), 1);
    frame->SetCloseAllowed(true);
    QVERIFY(frame->close());
    FlushDeletes();
    QVERIFY(m_area->subWindowList().isEmpty());
  }

  void ClosingAModifiedDocumentAsks_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("saved");
    QTest::newRow("cancel") << int(SaveAnswer::kCancel) << false << false;
    QTest::newRow("no") << int(SaveAnswer::kNo) << true << false;
    QTest::newRow("yes") << int(SaveAnswer::kYes) << true << true;
  }

  void ClosingAModifiedDocumentAsks() {
    QFETCH(int, answer);
    QFETCH(bool, closed);
    QFETCH(bool, saved);
    QTemporaryDir dir;
    m_prompts->save_answer = static_cast<SaveAnswer>(answer);
    m_prompts->save_path = dir.filePath(QStringLiteral("saved.txt"));
    CChildFrame* frame = m_template->OpenNewDocument();
    TypeText(frame->GetActiveView(), QStringLiteral("ы"));
    QVERIFY(frame->GetActiveDocument()->IsModified());
    QCOMPARE(frame->close(), closed);
    QCOMPARE(m_prompts->asked_to_save, 1);
    QCOMPARE(QFile::exists(m_prompts->save_path), saved);
    if (saved) QCOMPARE(ReadFileBytes(m_prompts->save_path).bytes, std::string("\xFB"));
  }

  void FontDescriptions_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("weight");
    QTest::addColumn<int>("pitch_and_family");
    QTest::addColumn<bool>("valid");
    QTest::newRow("pixel height bold fixed")
        << -16 << 700 << int(kFixedPitch | kFamilyModern) << true;
    QTest::newRow("default weight") << -12 << 0 << 0 << true;
    QTest::newRow("weight out of range") << -12 << 1200 << 0 << false;
    QTest::newRow("absurd height") << -100000 << 400 << 0 << false;
  }

  void FontDescriptions() {
    QFETCH(int, height);
    QFETCH(int, weight);
    QFETCH(int, pitch_and_family);
    QFETCH(bool, valid);
    LogFont font;
    font.Height = height;
    font.Weight = weight;
    font.Italic = 1;
    font.CharSet = 204;
    font.PitchAndFamily = static_cast<std::uint8_t>(pitch_and_family);
    font.FaceName = "DejaVu Sans Mono";
    const std::optional<QFont> qfont = FontFromLogFont(font);
    QCOMPARE(qfont.has_value(), valid);
    CCyrvertView* view = NewView();
    const LogFont before = view->CurrentLogFont();
    QCOMPARE(view->ApplyFont(font), valid);
    QVERIFY(view->CurrentLogFont() == (valid ? font : before));
    if (!valid) return;
    QCOMPARE(qfont->pixelSize(), -height);
    QVERIFY(qfont->italic());
    QCOMPARE(qfont->fixedPitch(), (pitch_and_family & kFixedPitch) != 0);
    const LogFont back = LogFontFromFont(*qfont, font.CharSet);
    QCOMPARE(back.Height, height);
    QCOMPARE(back.Weight, weight == 0 ? 400 : weight);
    QCOMPARE(back.CharSet, font.CharSet);
    QCOMPARE(back.FaceName, font.FaceName);
  }

  void UnderlineAndStrikeOutAreDrawn() {
    CCyrvertView* view = NewView();
    view->PutViewText("text");
    const auto underlined = [view] {
      return view->SendScintilla(QsciScintillaBase::SCI_STYLEGETUNDERLINE, 0UL) != 0;
    };
    const auto struck = [view](long at) {
      return view->SendScintilla(QsciScintillaBase::SCI_INDICATORALLONFOR,
                                 static_cast<unsigned long>(at)) != 0;
    };
    LogFont font;
    font.Height = -14;
    font.Underline = 1;
    font.StrikeOut = true;
    QVERIFY(view->ApplyFont(font));
    QVERIFY(underlined());
    QVERIFY(struck(0) && struck(3));
    QTest::keyClick(view, Qt::Key_End);
    TypeText(view, QStringLiteral("ab"));  // new text is struck through too
    QTRY_VERIFY(struck(5));
    font.Underline = 0;
    font.StrikeOut = false;
    QVERIFY(view->ApplyFont(font));
    QVERIFY(!underlined());
    QVERIFY(!struck(0) && !struck(5));
  }

  void FaceNamesKeep31Characters() {
    QCOMPARE(TruncateFaceName(std::string(40, 'a')), std::string(31, 'a'));
    std::string cyrillic;
    for (int i = 0; i < 32; ++i) cyrillic += "ж";
    QCOMPARE(TruncateFaceName(cyrillic).size(), std::size_t{31 * 2});
  }

  void FontReachesNewAndOpenViews() {
    LogFont font;
    font.Height = -20;
    font.Weight = 700;
    m_template->SetFontSource([&font] { return font; });
    CCyrvertView* first = NewView();
    QVERIFY(first->CurrentLogFont() == font);
    const auto line_height = [first] {
      return first->SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, 0UL);
    };
    const long small_height = line_height();
    LogFont chosen = font;
    chosen.Height = -30;
    m_template->ApplyFontToDocuments(chosen);
    QVERIFY(first->CurrentLogFont() == chosen);
    QVERIFY(line_height() > small_height);         // the editor draws with it
    QVERIFY(NewView()->CurrentLogFont() == font);  // new views follow the source
  }
};

QTEST_MAIN(DocViewTest)
#include "docview_test.moc"
