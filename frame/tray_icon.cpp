#include "frame/tray_icon.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

namespace cyrvert {
namespace {

constexpr char kTrayTip[] = "CyrVert";

// The context menu; a null text is a separator.
struct TrayMenuItem {
  const char* text;
  CommandId id;
};
constexpr TrayMenuItem kTrayMenu[] = {
    {"Restore", CommandId::kRestore},
    {"Options...", CommandId::kOptions},
    {nullptr, CommandId::kRestore},
    {"Exit", CommandId::kAppExit},
};

}  // namespace

CTrayIcon::CTrayIcon(std::function<void(CommandId)> run, QObject* parent)
    : QObject(parent),
      m_run(std::move(run)),
      m_pMenu(new QMenu),
      m_available(&QSystemTrayIcon::isSystemTrayAvailable) {
  for (const TrayMenuItem& item : kTrayMenu) {
    if (item.text == nullptr) {
      m_pMenu->addSeparator();
      continue;
    }
    const CommandId id = item.id;
    // Queued: the command may hide or delete the icon whose menu is still closing.
    QAction* action = m_pMenu->addAction(QString::fromLatin1(item.text));
    connect(
        action, &QAction::triggered, this, [this, id] { m_run(id); }, Qt::QueuedConnection);
  }
  m_pIcon = new QSystemTrayIcon(QIcon(QStringLiteral(":/icons/tray.png")), this);
  m_pIcon->setToolTip(QString::fromLatin1(kTrayTip));
  m_pIcon->setContextMenu(m_pMenu);
  connect(m_pIcon, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason why) {
            if (why == QSystemTrayIcon::Trigger) m_run(CommandId::kRestore);
          });
}

CTrayIcon::~CTrayIcon() {
  delete m_pIcon;
  delete m_pMenu;
}

bool CTrayIcon::IsAvailable() const { return m_available(); }

void CTrayIcon::WatchAvailability(std::function<void(bool available)> changed) {
  m_changed = std::move(changed);
  m_bLastAvailable = IsAvailable();
  if (!m_watch.isActive()) {
    connect(&m_watch, &QTimer::timeout, this, [this] {
      const bool available = IsAvailable();
      if (available == m_bLastAvailable) return;
      m_bLastAvailable = available;
      if (m_changed) m_changed(available);
    });
    m_watch.start(kWatchInterval);
  }
}

void CTrayIcon::SetAvailabilityProbe(std::function<bool()> available,
                                     std::chrono::milliseconds interval) {
  m_available = std::move(available);
  m_watch.setInterval(interval);
}

void CTrayIcon::Show() { m_pIcon->show(); }

void CTrayIcon::Hide() { m_pIcon->hide(); }

bool CTrayIcon::IsShown() const { return m_pIcon->isVisible(); }

}  // namespace cyrvert
