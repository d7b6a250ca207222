// The options dialog: edits a copy of the Settings record. "Сохранить" hands the edited record
// to its owner at once; OK leaves it to the caller to take GetSettings().
#pragma once

#include <QDialog>
#include <functional>
#include <map>

#include "commands/message_boxes.h"
#include "commands/settings.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;

namespace cyrvert {

class CUpDown;

// Modal dialog 131 over the Settings.
class COptionsDlg : public QDialog {
  Q_OBJECT

 public:
  // Control ids of the dialog; the first of each radio group names the group.
  enum ControlId : int {
    kIdDepthAuto = 1012,
    kIdDepthValue = 1013,
    kIdDepthSpin = 1014,
    kIdSense0 = 1015,  // 1015..1019
    kIdAutoClip = 1020,
    kIdNBestOn = 1021,
    kIdNValue = 1022,
    kIdNSpin = 1023,
    kIdOut0 = 1025,  // 1025..1026
    kIdTray = 1029,
    kIdSave = 1030,
    kIdImport0 = 1036,  // 1036..1038
    kIdTarget0 = 1041,  // 1041..1044
    kIdBigLetters = 1045,
    kIdShowWay = 1051,
    kIdClipOnlyDamaged = 1052,
    kIdOk = 1,
    kIdCancel = 2,
  };

  // The dialog's members, which the controls are exchanged with.
  struct Members {
    bool clipboardOn = false;      // 1020
    int n = 1;                     // 1022
    bool nBestOn = false;          // 1021
    bool capitalLetters = false;   // 1045
    bool depthAutomatic = false;   // 1012
    int manualDepth = 1;           // 1013
    int importChoice = -1;         // 1036..1038
    int output = -1;               // 1025..1026
    int sensitivity = -1;          // 1015..1019
    int target = -1;               // 1041..1044
    bool tray = false;             // 1029
    bool showPath = false;         // 1051
    bool clipOnlyDamaged = false;  // 1052
  };

  // Called by "Сохранить" with the dialog's record; the owner stores it at once.
  using SaveHandler = std::function<void(const Settings&)>;

  // Builds the dialog; `boxes` shows the range messages.
  COptionsDlg(MessageBoxes& boxes, SaveHandler onSave, QWidget* parent = nullptr);
  ~COptionsDlg() override;

  // Fills the members from a Settings record.
  void SetFromSettings(const Settings& settings);
  // A Settings record built from the members.
  Settings GetSettings() const;
  // Runs the dialog modally; QDialog::Accepted or QDialog::Rejected.
  int DoModal();
  // The members as last exchanged.
  const Members& Data() const { return m_data; }
  // The control with the given id (a radio group by its first id), or null.
  QWidget* Control(int id) const;

  // Writes the members into the controls (false) or reads and checks them (true); a failed check
  // shows the range message, puts focus on the field and returns false.
  bool UpdateData(bool saveAndValidate);

 public slots:
  // OK: reads and checks the controls, then closes with Accepted.
  void accept() override;

 protected:
  // First show: members into controls, spin ranges, the enabling rule.
  void showEvent(QShowEvent* event) override;

 private:
  // Enables the manual depth and N fields and the N-best box from the current choices.
  void ApplyEnablingRule();
  // "Сохранить": reads and checks, then hands the record to the owner.
  void OnSave();
  // Reads an unsigned number from `edit` within [lo, hi] into `out`.
  bool ReadUnsigned(QLineEdit* edit, int lo, int hi, int& out);
  // Lays the controls out and connects them.
  void BuildControls();

  MessageBoxes& m_boxes;
  SaveHandler m_onSave;
  Members m_data;
  bool m_bInitialised = false;
  std::map<int, QWidget*> m_controls;  // by control id
  QCheckBox* m_autoClip = nullptr;
  QCheckBox* m_clipOnlyDamaged = nullptr;
  QLineEdit* m_nBestEdit = nullptr;  // the N-best count, and its arrows
  CUpDown* m_nBestSpin = nullptr;
  QCheckBox* m_nBestOn = nullptr;
  QCheckBox* m_bigLetters = nullptr;
  QCheckBox* m_depthAuto = nullptr;
  QLineEdit* m_depthEdit = nullptr;  // the manual depth, and its arrows
  CUpDown* m_depthSpin = nullptr;
  QButtonGroup* m_import = nullptr;
  QButtonGroup* m_output = nullptr;
  QButtonGroup* m_sense = nullptr;
  QButtonGroup* m_target = nullptr;
  QCheckBox* m_tray = nullptr;
  QCheckBox* m_showWay = nullptr;
};

// An up-down control: two arrow buttons that step the integer in a buddy edit within a range;
// the arrow keys in the buddy step it too.
class CUpDown : public QWidget {
  Q_OBJECT

 public:
  // Attaches to `buddy`, right of which it is laid out.
  CUpDown(QLineEdit* buddy, QWidget* parent);
  // Sets the range the steps keep to.
  void SetRange(int lo, int hi);
  // Adds `delta` to the buddy's number, clamped to the range.
  void Step(int delta);

 protected:
  // Arrow keys in the buddy.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* m_buddy;
  int m_lo = 0;
  int m_hi = 100;
};

}  // namespace cyrvert
