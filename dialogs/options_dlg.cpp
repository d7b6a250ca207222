#include "dialogs/options_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "resources/strings.h"

namespace cyrvert {

namespace {

// Checks exactly the button `index` of `group`, or none when it is out of range.
void SetRadio(QButtonGroup* group, int index) {
  group->setExclusive(false);
  for (QAbstractButton* button : group->buttons()) button->setChecked(group->id(button) == index);
  group->setExclusive(true);
}

// The checked button's index; `current` when none is checked, so that a stored value with no
// button of its own survives the dialog unchanged.
int GetRadio(const QButtonGroup* group, int current) {
  const int id = group->checkedId();
  return id >= 0 ? id : current;
}

}  // namespace

CUpDown::CUpDown(QLineEdit* buddy, QWidget* parent) : QWidget(parent), m_buddy(buddy) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* up = new QToolButton(this);
  up->setArrowType(Qt::UpArrow);
  up->setAutoRepeat(true);
  up->setFocusPolicy(Qt::NoFocus);
  auto* down = new QToolButton(this);
  down->setArrowType(Qt::DownArrow);
  down->setAutoRepeat(true);
  down->setFocusPolicy(Qt::NoFocus);
  for (QToolButton* b : {up, down}) b->setFixedSize(16, 11);
  layout->addWidget(up);
  layout->addWidget(down);
  connect(up, &QToolButton::clicked, this, [this] { Step(1); });
  connect(down, &QToolButton::clicked, this, [this] { Step(-1); });
  buddy->installEventFilter(this);
}

void CUpDown::SetRange(int lo, int hi) {
  m_lo = lo;
  m_hi = hi;
}

void CUpDown::Step(int delta) {
  if (!isEnabled()) return;
  bool ok = false;
  const qlonglong current = m_buddy->text().trimmed().toLongLong(&ok);
  const qlonglong next = ok ? current + delta : m_lo;
  m_buddy->setText(QString::number(std::clamp<qlonglong>(next, m_lo, m_hi)));
}

bool CUpDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_buddy && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      Step(key == Qt::Key_Up ? 1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

COptionsDlg::COptionsDlg(MessageBoxes& boxes, SaveHandler onSave, QWidget* parent)
    : QDialog(parent), m_boxes(boxes), m_onSave(std::move(onSave)) {
  setWindowTitle(QStringLiteral("Выбор настроек перекодировки..."));
  BuildControls();
}

COptionsDlg::~COptionsDlg() = default;

void COptionsDlg::BuildControls() {
  auto check = [this](int id, const char* text) {
    auto* box = new QCheckBox(QString::fromUtf8(text), this);
    m_controls[id] = box;
    return box;
  };
  auto radios = [this](int firstId, std::initializer_list<const char*> texts, QGroupBox* frame) {
    auto* group = new QButtonGroup(this);
    auto* layout = new QVBoxLayout(frame);
    int index = 0;
    for (const char* text : texts) {
      auto* button = new QRadioButton(QString::fromUtf8(text), frame);
      group->addButton(button, index);
      m_controls[firstId + index] = button;
      layout->addWidget(button);
      ++index;
    }
    return group;
  };
  auto edit = [this](int id) {
    auto* line = new QLineEdit(this);
    line->setMaximumWidth(48);
    line->setEnabled(false);
    m_controls[id] = line;
    return line;
  };
  auto spin = [this](int id, QLineEdit* buddy) {
    auto* updown = new CUpDown(buddy, this);
    updown->setEnabled(false);
    m_controls[id] = updown;
    return updown;
  };

  // Automation: clipboard, N best.
  auto* automation = new QGroupBox(QStringLiteral("Автоматизация"), this);
  m_autoClip = check(kIdAutoClip, "автоматически декодировать clipboard");
  // Clipboard text is repaired as the characters it holds, and shown only when damaged.
  m_clipOnlyDamaged = check(kIdClipOnlyDamaged, "только повреждённый текст");
  m_nBestEdit = edit(kIdNValue);
  m_nBestSpin = spin(kIdNSpin, m_nBestEdit);
  m_nBestOn = check(kIdNBestOn, "только N лучших результатов");
  {
    auto* layout = new QVBoxLayout(automation);
    layout->addWidget(m_autoClip);
    layout->addWidget(m_clipOnlyDamaged);
    auto* row = new QHBoxLayout;
    row->addWidget(m_nBestOn);
    row->addWidget(new QLabel(QStringLiteral("N= "), automation));
    row->addWidget(m_nBestEdit);
    row->addWidget(m_nBestSpin);
    row->addStretch();
    layout->addLayout(row);
  }
  m_bigLetters = check(kIdBigLetters, "Учитывать большие буквы");

  auto* depth = new QGroupBox(QStringLiteral("Глубина просмотра"), this);
  m_depthAuto = check(kIdDepthAuto, "автоматически");
  m_depthEdit = edit(kIdDepthValue);
  m_depthSpin = spin(kIdDepthSpin, m_depthEdit);
  {
    auto* layout = new QHBoxLayout(depth);
    layout->addWidget(m_depthAuto);
    layout->addWidget(new QLabel(QStringLiteral("Вручную:"), depth));
    layout->addWidget(m_depthEdit);
    layout->addWidget(m_depthSpin);
    layout->addStretch();
  }

  auto* import = new QGroupBox(QStringLiteral("Импорт транспортных кодировок"), this);
  m_import = radios(kIdImport0,
                    {"Сохранять результат в файле", "Открыть результат в новом окне",
                     "Спрашивать что делать после импорта"},
                    import);
  auto* output = new QGroupBox(QStringLiteral("Показать результаты"), this);
  m_output = radios(kIdOut0, {"в отдельных окнах", "в диалоге выбора вариантов"}, output);
  auto* sense = new QGroupBox(QStringLiteral("Чувствтельность"), this);
  m_sense =
      radios(kIdSense0, {"автоматическая", "нормальная", "увеличенная", "высокая", "очень высокая"},
             sense);
  auto* target = new QGroupBox(QStringLiteral("В какую кодировку переводить по умолчанию"), this);
  m_target =
      radios(kIdTarget0,
             {"WINDOWS (cp-1251) (рекомндуемая)", "DOS (cp-866)", "KOI8-R", "ISO-8859-5"}, target);
  m_tray = check(kIdTray, "Показать иконку в панели задач");
  m_showWay = check(kIdShowWay, "Показывать историю перекодировок");

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setDefault(true);
  // Enter presses the focused button; elsewhere in the dialog it presses OK.
  auto* save = new QPushButton(QStringLiteral("Сохранить"), this);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  m_controls[kIdOk] = ok;
  m_controls[kIdSave] = save;
  m_controls[kIdCancel] = cancel;

  auto* grid = new QGridLayout(this);
  grid->addWidget(automation, 0, 0);
  grid->addWidget(m_bigLetters, 1, 0);
  grid->addWidget(depth, 2, 0);
  grid->addWidget(import, 3, 0);
  grid->addWidget(sense, 0, 1, 2, 1);
  grid->addWidget(output, 2, 1, 2, 1, Qt::AlignTop);
  grid->addWidget(target, 0, 2);
  grid->addWidget(m_tray, 1, 2);
  grid->addWidget(m_showWay, 2, 2, Qt::AlignTop);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(save);
  buttons->addWidget(cancel);
  grid->addLayout(buttons, 3, 2, Qt::AlignBottom);

  connect(ok, &QPushButton::clicked, this, &COptionsDlg::accept);
  connect(save, &QPushButton::clicked, this, &COptionsDlg::OnSave);
  connect(cancel, &QPushButton::clicked, this, &COptionsDlg::reject);
  connect(m_depthAuto, &QCheckBox::clicked, this, &COptionsDlg::ApplyEnablingRule);
  connect(m_nBestOn, &QCheckBox::clicked, this, &COptionsDlg::ApplyEnablingRule);
  connect(m_sense, &QButtonGroup::buttonClicked, this, &COptionsDlg::ApplyEnablingRule);
}

void COptionsDlg::SetFromSettings(const Settings& settings) {
  if (settings.Depth != 0) {
    m_data.depthAutomatic = false;
    m_data.manualDepth = settings.Depth;
  } else {
    m_data.depthAutomatic = true;
  }
  m_data.sensitivity = settings.Sense != 0 ? 6 - settings.Sense : 0;
  if (settings.N_best != 0) {
    m_data.nBestOn = true;
    m_data.n = settings.N_best;
  } else {
    m_data.nBestOn = false;
  }
  m_data.clipboardOn = settings.AutoClip != 0;
  m_data.output = settings.Out_to;
  m_data.tray = settings.Tray != 0;
  m_data.importChoice = settings.Import;
  m_data.target = settings.Target;
  m_data.capitalLetters = settings.BigLetters != 0;
  m_data.showPath = settings.ShowTranslateWay != 0;
  m_data.clipOnlyDamaged = settings.ClipOnlyDamaged != 0;
}

Settings COptionsDlg::GetSettings() const {
  Settings s;
  s.Depth = m_data.depthAutomatic ? 0 : m_data.manualDepth;
  s.Sense = m_data.sensitivity != 0 ? 6 - m_data.sensitivity : 0;
  s.AutoClip = m_data.clipboardOn ? 1 : 0;
  s.N_best = m_data.nBestOn ? m_data.n : 0;
  s.Out_to = m_data.output;
  s.Tray = m_data.tray ? 1 : 0;
  s.Import = m_data.importChoice;
  s.Target = m_data.target;
  s.BigLetters = m_data.capitalLetters ? 1 : 0;
  s.ShowTranslateWay = m_data.showPath ? 1 : 0;
  s.ClipOnlyDamaged = m_data.clipOnlyDamaged ? 1 : 0;
  return s;
}

int COptionsDlg::DoModal() { return exec(); }

QWidget* COptionsDlg::Control(int id) const {
  const auto it = m_controls.find(id);
  return it == m_controls.end() ? nullptr : it->second;
}

bool COptionsDlg::ReadUnsigned(QLineEdit* edit, int lo, int hi, int& out) {
  bool ok = false;
  const uint value = edit->text().trimmed().toUInt(&ok, 10);
  if (ok && value >= static_cast<uint>(lo) && value <= static_cast<uint>(hi)) {
    out = static_cast<int>(value);
    return true;
  }
  m_boxes.ShowMessage(QString::fromUtf8(strings::kParseIntRange).arg(lo).arg(hi).toStdString(),
                      strings::kAppTitle, MessageIcon::kExclamation);
  edit->setFocus();
  edit->selectAll();
  return false;
}

bool COptionsDlg::UpdateData(bool saveAndValidate) {
  if (!saveAndValidate) {
    m_autoClip->setChecked(m_data.clipboardOn);
    m_nBestEdit->setText(QString::number(m_data.n));
    m_nBestOn->setChecked(m_data.nBestOn);
    m_bigLetters->setChecked(m_data.capitalLetters);
    m_depthAuto->setChecked(m_data.depthAutomatic);
    m_depthEdit->setText(QString::number(m_data.manualDepth));
    SetRadio(m_import, m_data.importChoice);
    SetRadio(m_output, m_data.output);
    SetRadio(m_sense, m_data.sensitivity);
    SetRadio(m_target, m_data.target);
    m_tray->setChecked(m_data.tray);
    m_showWay->setChecked(m_data.showPath);
    m_clipOnlyDamaged->setChecked(m_data.clipOnlyDamaged);
    return true;
  }
  // Read in the order of the dialog's exchange, stopping at the first failed check.
  m_data.clipboardOn = m_autoClip->isChecked();
  if (!ReadUnsigned(m_nBestEdit, 1, kMaxBest, m_data.n)) return false;
  m_data.nBestOn = m_nBestOn->isChecked();
  m_data.capitalLetters = m_bigLetters->isChecked();
  m_data.depthAutomatic = m_depthAuto->isChecked();
  if (!ReadUnsigned(m_depthEdit, 1, kMaxDepth, m_data.manualDepth)) return false;
  m_data.importChoice = GetRadio(m_import, m_data.importChoice);
  m_data.output = GetRadio(m_output, m_data.output);
  m_data.sensitivity = GetRadio(m_sense, m_data.sensitivity);
  m_data.target = GetRadio(m_target, m_data.target);
  m_data.tray = m_tray->isChecked();
  m_data.showPath = m_showWay->isChecked();
  m_data.clipOnlyDamaged = m_clipOnlyDamaged->isChecked();
  return true;
}

void COptionsDlg::showEvent(QShowEvent* event) {
  if (!m_bInitialised) {
    m_bInitialised = true;
    UpdateData(false);
    m_nBestSpin->SetRange(1, kMaxBest);
    m_depthSpin->SetRange(1, kMaxDepth);
    ApplyEnablingRule();
  }
  QDialog::showEvent(event);
}

void COptionsDlg::ApplyEnablingRule() {
  // A failed read leaves the later members as they were; the enabling uses what was read.
  UpdateData(true);
  const bool manualDepth = !m_data.depthAutomatic;
  m_depthEdit->setEnabled(manualDepth);
  m_depthSpin->setEnabled(manualDepth);
  const bool senseFixed = m_data.sensitivity != 0;
  m_nBestOn->setEnabled(senseFixed);
  const bool nField = senseFixed && m_data.nBestOn;
  m_nBestEdit->setEnabled(nField);
  m_nBestSpin->setEnabled(nField);
}

void COptionsDlg::OnSave() {
  if (!UpdateData(true)) return;
  if (m_onSave) m_onSave(GetSettings());
}

void COptionsDlg::accept() {
  if (!UpdateData(true)) return;
  QDialog::accept();
}

}  // namespace cyrvert
