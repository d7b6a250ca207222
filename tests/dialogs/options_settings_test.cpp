// Settings in the profile store, and the options dialog's exchange, checks and buttons.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "dialogs/options_dlg.h"
#include "profile/qt_profile_store.h"
#include "profile/recent_file_list.h"
#include "profile/settings_io.h"
#include "tests/fakes/fake_boxes.h"
#include "tests/fakes/memory_profile_store.h"

using namespace cyrvert;

namespace {

using test::FakeBoxes;
using test::MemoryProfileStore;

QRadioButton* Radio(COptionsDlg& dlg, int id) {
  return qobject_cast<QRadioButton*>(dlg.Control(id));
}
QCheckBox* Check(COptionsDlg& dlg, int id) { return qobject_cast<QCheckBox*>(dlg.Control(id)); }
QLineEdit* Edit(COptionsDlg& dlg, int id) { return qobject_cast<QLineEdit*>(dlg.Control(id)); }

}  // namespace

Q_DECLARE_METATYPE(cyrvert::Settings)

class SettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void LoadKeepsDefaultsOfMissingValues() {
    MemoryProfileStore store;
    store.WriteProfileInt("General", "Sense", 4);
    Settings want;
    want.Sense = 4;
    QCOMPARE(LoadSettings(store, Settings{}), want);
  }

  void LoadTakesValuesAsStoredAndSaveNormalisesFlags() {
    MemoryProfileStore store;
    const std::pair<const char*, int> stored[] = {{"AutoClip", 7},    {"Target", 7},
                                                  {"Import", 9},      {"Depth", -1},
                                                  {"N_best", 100000}, {"ShowTranslateWay", -3}};
    for (const auto& [name, value] : stored) store.WriteProfileInt("General", name, value);
    const Settings loaded = LoadSettings(store, Settings{});
    QCOMPARE(loaded.AutoClip, 7);
    QCOMPARE(loaded.Target, 7);
    QCOMPARE(loaded.Import, 9);
    QCOMPARE(loaded.Depth, -1);
    QCOMPARE(loaded.N_best, 100000);

    MemoryProfileStore out;
    SaveSettings(out, loaded);
    QCOMPARE(out.GetProfileInt("General", "AutoClip", 0), 1);
    QCOMPARE(out.GetProfileInt("General", "ShowTranslateWay", 0), 1);
    QCOMPARE(out.GetProfileInt("General", "Target", 0), 7);
    QCOMPARE(out.GetProfileInt("General", "Depth", 0), -1);
    for (const SettingsField& field : kSettingsFields) QVERIFY(out.Contains("General", field.name));
  }

  void QtStoreRoundTripsInTheUsersConfigFile() {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    {
      QtProfileStore store("Severion", "cyrvert");
      SaveSettings(store, Settings{});
      store.WriteProfileInt("FONT", "Height", -13);
      store.WriteProfileString("FONT", "FaceName", "Noto Sans Mono");
      store.WriteProfileString("FONT", "Bad", "x1");
    }
    QVERIFY(QFile::exists(dir.filePath("Severion/cyrvert.conf")));
    QtProfileStore store("Severion", "cyrvert");
    QCOMPARE(LoadSettings(store, Settings{.Tray = 0, .Import = 0}), Settings{});
    QCOMPARE(store.GetProfileInt("FONT", "Height", 0), -13);
    QCOMPARE(store.GetProfileString("FONT", "FaceName", ""), QString("Noto Sans Mono"));
    QCOMPARE(store.GetProfileInt("FONT", "Bad", 42), 42);
    QCOMPARE(store.GetProfileInt("FONT", "Missing", 42), 42);
  }

  void RecentFilesKeepFourNewestFirst() {
    CRecentFileList list(4);
    for (const char* name : {"/a.txt", "/b.txt", "/c.txt", "/d.txt", "/e.txt", "/c.txt"}) {
      list.Add(name);
    }
    const QStringList want = {"/c.txt", "/e.txt", "/d.txt", "/b.txt"};
    QCOMPARE(list.Files(), want);
    MemoryProfileStore store;
    list.Remove(1);
    list.WriteList(store);
    CRecentFileList read(4);
    read.ReadList(store);
    QCOMPARE(read.Files(), (QStringList{"/c.txt", "/d.txt", "/b.txt"}));
    QCOMPARE(store.GetProfileString("Recent File List", "File4", "x"), QString());
  }

  void SenseShowsItsButton_data() {
    QTest::addColumn<int>("sense");
    QTest::addColumn<int>("button");
    QTest::newRow("automatic") << 0 << int(COptionsDlg::kIdSense0);
    QTest::newRow("normal") << 5 << int(COptionsDlg::kIdSense0 + 1);
    QTest::newRow("increased") << 4 << int(COptionsDlg::kIdSense0 + 2);
    QTest::newRow("very high") << 2 << int(COptionsDlg::kIdSense0 + 4);
  }
  void SenseShowsItsButton() {
    QFETCH(int, sense);
    QFETCH(int, button);
    FakeBoxes boxes;
    COptionsDlg dlg(boxes, nullptr);
    Settings s;
    s.Sense = sense;
    dlg.SetFromSettings(s);
    dlg.show();
    QVERIFY(Radio(dlg, button)->isChecked());
    QCOMPARE(Check(dlg, COptionsDlg::kIdNBestOn)->isEnabled(), sense != 0);
  }

  void ChoosingHighSensitivityGivesThree() {
    FakeBoxes boxes;
    COptionsDlg dlg(boxes, nullptr);
    dlg.SetFromSettings(Settings{});
    dlg.show();
    Radio(dlg, COptionsDlg::kIdSense0 + 3)->click();
    dlg.accept();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.GetSettings().Sense, 3);
  }

  // Off by default; the box shows the setting, and the setting goes to the profile.
  void OnlyDamagedClipboardTextRoundTrips() {
    QCOMPARE(Settings{}.ClipOnlyDamaged, 0);
    for (const int on : {0, 1}) {
      FakeBoxes boxes;
      COptionsDlg dlg(boxes, nullptr);
      Settings s;
      s.ClipOnlyDamaged = on;
      dlg.SetFromSettings(s);
      dlg.show();
      QCheckBox* box = Check(dlg, COptionsDlg::kIdClipOnlyDamaged);
      QCOMPARE(box->isChecked(), on != 0);
      box->click();
      dlg.accept();
      QCOMPARE(dlg.GetSettings().ClipOnlyDamaged, 1 - on);
      MemoryProfileStore store;
      SaveSettings(store, dlg.GetSettings());
      QCOMPARE(store.GetProfileInt("General", "ClipOnlyDamaged", -1), 1 - on);
      QCOMPARE(LoadSettings(store, Settings{}), dlg.GetSettings());
    }
  }

  void ManualDepthAndItsAutomaticBox() {
    FakeBoxes boxes;
    COptionsDlg dlg(boxes, nullptr);
    Settings s;
    s.Depth = 3;
    dlg.SetFromSettings(s);
    dlg.show();
    QVERIFY(!Check(dlg, COptionsDlg::kIdDepthAuto)->isChecked());
    QCOMPARE(Edit(dlg, COptionsDlg::kIdDepthValue)->text(), QString("3"));
    QVERIFY(Edit(dlg, COptionsDlg::kIdDepthValue)->isEnabled());
    Check(dlg, COptionsDlg::kIdDepthAuto)->click();
    QVERIFY(!Edit(dlg, COptionsDlg::kIdDepthValue)->isEnabled());
    QVERIFY(!dlg.Control(COptionsDlg::kIdDepthSpin)->isEnabled());
    dlg.accept();
    QCOMPARE(dlg.GetSettings().Depth, 0);
    QCOMPARE(dlg.Data().manualDepth, 3);
  }

  void GreyedNBestStillCounts() {
    FakeBoxes boxes;
    COptionsDlg dlg(boxes, nullptr);
    Settings s;
    s.N_best = 7;  // sensitivity automatic: the box and the field are greyed
    dlg.SetFromSettings(s);
    dlg.show();
    QVERIFY(!Check(dlg, COptionsDlg::kIdNBestOn)->isEnabled());
    QVERIFY(!Edit(dlg, COptionsDlg::kIdNValue)->isEnabled());
    dlg.accept();
    QCOMPARE(dlg.GetSettings().N_best, 7);
  }

  void RangeChecks_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString n = "Please enter an integer between 1 and 500.";
    const QString depth = "Please enter an integer between 1 and 5.";
    QTest::newRow("N 0") << int(COptionsDlg::kIdNValue) << "0" << n;
    QTest::newRow("N 501") << int(COptionsDlg::kIdNValue) << "501" << n;
    QTest::newRow("N -1") << int(COptionsDlg::kIdNValue) << "-1" << n;
    QTest::newRow("N text") << int(COptionsDlg::kIdNValue) << "abc" << n;
    QTest::newRow("depth 6") << int(COptionsDlg::kIdDepthValue) << "6" << depth;
    QTest::newRow("depth empty") << int(COptionsDlg::kIdDepthValue) << "" << depth;
  }
  void RangeChecks() {
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    FakeBoxes boxes;
    bool saved = false;
    COptionsDlg dlg(boxes, [&](const Settings&) { saved = true; });
    Settings s;
    s.Sense = 5;
    s.N_best = 10;
    s.Depth = 2;
    dlg.SetFromSettings(s);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    Edit(dlg, field)->setText(text);
    dlg.accept();
    QCOMPARE(boxes.texts, std::vector<std::string>{message.toStdString()});
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(QApplication::focusWidget(), dlg.Control(field));
    qobject_cast<QPushButton*>(dlg.Control(COptionsDlg::kIdSave))->click();
    QCOMPARE(boxes.texts.size(), std::size_t{2});
    QVERIFY(!saved);
  }

  void SaveThenCancelKeepsTheSavedRecord() {
    FakeBoxes boxes;
    MemoryProfileStore store;
    COptionsDlg dlg(boxes, [&](const Settings& s) { SaveSettings(store, s); });
    dlg.SetFromSettings(Settings{});
    dlg.show();
    Check(dlg, COptionsDlg::kIdBigLetters)->click();
    Radio(dlg, COptionsDlg::kIdTarget0 + 2)->click();
    qobject_cast<QPushButton*>(dlg.Control(COptionsDlg::kIdSave))->click();
    QVERIFY(dlg.isVisible());
    qobject_cast<QPushButton*>(dlg.Control(COptionsDlg::kIdCancel))->click();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(store.GetProfileInt("General", "BigLetters", 0), 1);
    QCOMPARE(store.GetProfileInt("General", "Target", 0), 2);
  }

  void EnterPressesTheFocusedButton_data() {
    QTest::addColumn<int>("focused");
    QTest::addColumn<bool>("open");   // the dialog is still open after Enter
    QTest::addColumn<int>("result");  // when closed
    QTest::addColumn<int>("saves");
    QTest::newRow("Cancel") << int(COptionsDlg::kIdCancel) << false << int(QDialog::Rejected) << 0;
    QTest::newRow("Сохранить") << int(COptionsDlg::kIdSave) << true << 0 << 1;
    QTest::newRow("a check box (OK is the default)")
        << int(COptionsDlg::kIdBigLetters) << false << int(QDialog::Accepted) << 0;
  }
  void EnterPressesTheFocusedButton() {
    QFETCH(int, focused);
    QFETCH(bool, open);
    QFETCH(int, result);
    QFETCH(int, saves);
    FakeBoxes boxes;
    int saved = 0;
    COptionsDlg dlg(boxes, [&](const Settings&) { ++saved; });
    dlg.SetFromSettings(Settings{});
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    dlg.Control(focused)->setFocus();
    QTest::keyClick(dlg.Control(focused), Qt::Key_Return);
    QCOMPARE(dlg.isVisible(), open);
    if (!open) QCOMPARE(dlg.result(), result);
    QCOMPARE(saved, saves);
  }

  void OddStoredValuesSurviveOk_data() {
    QTest::addColumn<Settings>("stored");
    QTest::newRow("target 7") << Settings{.Target = 7};
    QTest::newRow("import 9") << Settings{.Import = 9};
    QTest::newRow("sense 1") << Settings{.Sense = 1};
    QTest::newRow("output 3") << Settings{.Out_to = 3};
  }
  void OddStoredValuesSurviveOk() {
    QFETCH(Settings, stored);
    FakeBoxes boxes;
    COptionsDlg dlg(boxes, nullptr);
    dlg.SetFromSettings(stored);
    dlg.show();
    dlg.accept();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.GetSettings(), stored);
    QVERIFY(boxes.texts.empty());
  }

  void SpinStepsWithinItsRange() {
    FakeBoxes boxes;
    COptionsDlg dlg(boxes, nullptr);
    dlg.SetFromSettings(Settings{.Depth = 5});
    dlg.show();
    auto* depth = Edit(dlg, COptionsDlg::kIdDepthValue);
    depth->setFocus();
    QTest::keyClick(depth, Qt::Key_Up);
    QCOMPARE(depth->text(), QString("5"));
    QTest::keyClick(depth, Qt::Key_Down);
    QCOMPARE(depth->text(), QString("4"));
  }
};

QTEST_MAIN(SettingsTest)
#include "options_settings_test.moc"
