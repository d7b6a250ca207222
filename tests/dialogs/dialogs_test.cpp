// The engine dialogs on the offscreen platform: what each returns, and the keys that
// must not close the windows the search owns.
#include <QApplication>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "dialogs/import_target_dlg.h"
#include "dialogs/progress_dlg.h"
#include "dialogs/translate_dlg.h"
#include "dialogs/variant_list_dlg.h"
#include "dialogs/wait_dlg.h"
#include "engine/code_page.h"

namespace cyrvert {

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void translateButtonsReturnTheirDirection();
  void translateStartsOnCancelAndNeverAcceptsWithoutDirection();
  void progressKeysRequestAStopAndKeepTheWindow_data();
  void progressKeysRequestAStopAndKeepTheWindow();
  void variantListShowsRowsAndOpensOnDoubleClick();
  void variantListClosesOnExitEscAndEnter_data();
  void variantListClosesOnExitEscAndEnter();
  void importTargetChoices_data();
  void importTargetChoices();
  void waitAnimationMovesWhileWorkRuns();
  void variantPreviewUsesTheViewsByteTable_data();
  void variantPreviewUsesTheViewsByteTable();
};

// Shows `dialog` modally, runs `action` once it is up, and returns the modal result.
template <typename Dialog, typename Action>
int ExecWith(Dialog& dialog, Action action) {
  QTimer::singleShot(0, &dialog, [&] {
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    action();
    // A dialog the action left open is closed so the test cannot hang.
    QTimer::singleShot(0, &dialog, [&] {
      if (dialog.isVisible()) dialog.done(-1);
    });
  });
  return dialog.exec();
}

// What a user's double-click delivers: press, release, double-click, release.
void DoubleClick(QWidget* widget, QPoint where) {
  // Far enough from any earlier click not to extend it into a triple click.
  QTest::mousePress(widget, Qt::LeftButton, {}, where, 2 * QApplication::doubleClickInterval());
  QTest::mouseRelease(widget, Qt::LeftButton, {}, where);
  QTest::mouseDClick(widget, Qt::LeftButton, {}, where);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, where);
}

// Each of the twelve direction buttons chooses the conversion its text names: the first
// letter of each page's name is the page's letter in the conversion codes.
void DialogsTest::translateButtonsReturnTheirDirection() {
  std::set<int> directions;
  for (int id = 1000; id < 1000 + kConversionCount; ++id) {
    CTranslateDlg dlg;
    QPushButton* button = dlg.Button(id);
    QVERIFY(button != nullptr);
    const QStringList pages = button->text().split(QStringLiteral(" -> "));
    QCOMPARE(pages.size(), 2);
    const std::string code = {pages[0][0].toLatin1(), '2', pages[1][0].toLatin1()};
    const int want = ConversionByCode(code);
    QVERIFY2(want >= 0, qPrintable(button->text()));
    const int result = ExecWith(dlg, [&] { QTest::mouseClick(button, Qt::LeftButton); });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(dlg.Direction(), want);
    directions.insert(want);
  }
  QCOMPARE(directions.size(), std::size_t(kConversionCount));
}

void DialogsTest::translateStartsOnCancelAndNeverAcceptsWithoutDirection() {
  {
    CTranslateDlg dlg;
    QWidget* focus_at_start = nullptr;
    const int result = ExecWith(dlg, [&] {
      focus_at_start = dlg.focusWidget();
      QTest::keyClick(&dlg, Qt::Key_Return);  // presses the focused "Отмена"
    });
    QCOMPARE(focus_at_start, dlg.Button(CTranslateDlg::kIdCancel));
    QCOMPARE(dlg.Button(CTranslateDlg::kIdCancel)->text(), QStringLiteral("Отмена"));
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(dlg.Direction(), CTranslateDlg::kNoDirection);
  }
  {
    CTranslateDlg dlg;
    const int result = ExecWith(dlg, [&] {
      // The first direction after "Отмена" in the tab order takes Enter once focused.
      QTest::keyClick(dlg.focusWidget(), Qt::Key_Tab);
      QTest::keyClick(dlg.focusWidget(), Qt::Key_Return);
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(dlg.Direction(), 0);
  }
  {
    CTranslateDlg dlg;
    const int result = ExecWith(dlg, [&] {
      dlg.accept();  // OK with no direction chosen
    });
    QCOMPARE(result, int(QDialog::Rejected));
  }
  {
    CTranslateDlg dlg;
    const int result = ExecWith(dlg, [&] { QTest::keyClick(&dlg, Qt::Key_Escape); });
    QCOMPARE(result, int(QDialog::Rejected));
  }
}

void DialogsTest::progressKeysRequestAStopAndKeepTheWindow_data() {
  QTest::addColumn<int>("key");
  QTest::newRow("Enter") << int(Qt::Key_Return);
  QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
  QTest::newRow("Esc") << int(Qt::Key_Escape);
}

void DialogsTest::progressKeysRequestAStopAndKeepTheWindow() {
  QFETCH(int, key);
  int stops = 0;
  CProgressDlg dlg([&] { ++stops; });
  dlg.SetRange(1, 13);
  dlg.SetPos(1);
  dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dlg));
  QCOMPARE(dlg.windowTitle(), QStringLiteral("Поиск вариантов перекодировки"));
  QCOMPARE(dlg.Bar()->minimum(), 1);
  QCOMPARE(dlg.Bar()->maximum(), 13);
  QTest::keyClick(&dlg, static_cast<Qt::Key>(key));
  QCOMPARE(stops, 1);
  QVERIFY(dlg.isVisible());
  dlg.SetPos(13);
  QCOMPARE(dlg.Bar()->value(), 13);
}

void DialogsTest::variantListShowsRowsAndOpensOnDoubleClick() {
  const std::vector<Variant> variants = {{{4}, 6}, {{4, 1}, 5}, {{2}, 3}};
  const std::vector<std::string> previews = {"\xcf\xf0\xe8\xe2\xe5\xf2\r\n",
                                             std::string("\xec\xe8\xf0\0tail", 8), "abc"};
  std::vector<Variant> opened;
  CVariantListDlg dlg;
  dlg.SetVariants(previews, variants, [&](const Variant& v) { opened.push_back(v); });
  const int result = ExecWith(dlg, [&] {
    QTreeWidget* list = dlg.List();
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Выберите варианты..."));
    QCOMPARE(list->headerItem()->text(0), QStringLiteral("Вариант"));
    QCOMPARE(list->topLevelItemCount(), 3);
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Привет  "));
    QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("мир"));
    const QPoint second = list->visualItemRect(list->topLevelItem(1)).center();
    DoubleClick(list->viewport(), second);
    DoubleClick(list->viewport(), second);
    QVERIFY(dlg.isVisible());
    QTest::keyClick(list, Qt::Key_Escape);
  });
  QCOMPARE(result, int(QDialog::Rejected));
  QCOMPARE(opened.size(), std::size_t{2});
  QCOMPARE(opened, (std::vector<Variant>{variants[1], variants[1]}));
}

void DialogsTest::variantListClosesOnExitEscAndEnter_data() {
  QTest::addColumn<QString>("how");
  QTest::addColumn<int>("result");
  QTest::newRow("Выход") << "exit" << int(QDialog::Rejected);
  QTest::newRow("Esc") << "esc" << int(QDialog::Rejected);
  QTest::newRow("Enter") << "enter" << int(QDialog::Accepted);
}

void DialogsTest::variantListClosesOnExitEscAndEnter() {
  QFETCH(QString, how);
  QFETCH(int, result);
  int opened = 0;
  CVariantListDlg dlg;
  dlg.SetVariants({"a", "b"}, {{{0}, 4}, {{1}, 4}}, [&](const Variant&) { ++opened; });
  const int got = ExecWith(dlg, [&] {
    if (how == "exit") {
      QTest::mouseClick(dlg.findChild<QPushButton*>("2"), Qt::LeftButton);
    } else {
      QTest::keyClick(dlg.List(), how == "esc" ? Qt::Key_Escape : Qt::Key_Return);
    }
  });
  QCOMPARE(got, result);
  QCOMPARE(opened, 0);
}

void DialogsTest::importTargetChoices_data() {
  QTest::addColumn<int>("button");  // 0: press Enter
  QTest::addColumn<int>("result");
  QTest::addColumn<int>("choice");
  QTest::newRow("В файл") << int(CImportTargetDlg::kIdToFile) << int(QDialog::Accepted) << 0;
  QTest::newRow("В новое окно") << int(CImportTargetDlg::kIdToWindow) << int(QDialog::Accepted)
                                << 1;
  QTest::newRow("Enter") << 0 << int(QDialog::Accepted) << 0;
  QTest::newRow("Cancel") << int(CImportTargetDlg::kIdCancel) << int(QDialog::Rejected) << 0;
}

void DialogsTest::importTargetChoices() {
  QFETCH(int, button);
  QFETCH(int, result);
  QFETCH(int, choice);
  CImportTargetDlg dlg;
  QCOMPARE(dlg.windowTitle(), QStringLiteral("Выберите куда выдывать результаты импорта"));
  const int got = ExecWith(dlg, [&] {
    if (button == 0) {
      QTest::keyClick(&dlg, Qt::Key_Return);
    } else {
      QTest::mouseClick(dlg.Button(button), Qt::LeftButton);
    }
  });
  QCOMPARE(got, result);
  if (result == QDialog::Accepted) QCOMPARE(dlg.Choice(), choice);
}

void DialogsTest::waitAnimationMovesWhileWorkRuns() {
  CWaitDlg dlg;
  QCOMPARE(dlg.windowTitle(), QStringLiteral("Wait please"));
  dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dlg));
  QVERIFY(dlg.Animation()->IsPlaying());
  const int shown_before = dlg.Animation()->FramesShown();
  // The work blocks until the clip has advanced three frames, which only happens if this
  // thread keeps running the animation's timer meanwhile.
  const int result = RunOnWorkerThread([&] {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (dlg.Animation()->FramesShown() < shown_before + 3) {
      if (std::chrono::steady_clock::now() > give_up) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 42;
  });
  QCOMPARE(result, 42);
  RunOnWorkerThread([] {});  // work without a result
}

void DialogsTest::variantPreviewUsesTheViewsByteTable_data() {
  QTest::addColumn<QByteArray>("preview");
  QTest::addColumn<QString>("shown");
  QTest::newRow("letters") << QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2") << QStringLiteral("Привет");
  QTest::newRow("yo and numero") << QByteArray("\xA8\xB8\xB9") << QStringLiteral("Ёё№");
  QTest::newRow("unassigned byte") << QByteArray("\x98") << QString(QChar(0x0098));
  QTest::newRow("controls become blanks") << QByteArray("a\r\nb\tc") << QStringLiteral("a  b c");
  QTest::newRow("stops at zero") << QByteArray("ab\0\xC0", 4) << QStringLiteral("ab");
  QTest::newRow("empty") << QByteArray() << QString();
}

void DialogsTest::variantPreviewUsesTheViewsByteTable() {
  QFETCH(QByteArray, preview);
  QFETCH(QString, shown);
  QCOMPARE(PreviewToDisplay(preview.toStdString()), shown);
}

}  // namespace cyrvert

QTEST_MAIN(cyrvert::DialogsTest)
#include "dialogs_test.moc"
