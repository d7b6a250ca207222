#include "dialogs/about_dlg.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "dialogs/dialog_units.h"
#include "dialogs/url_static.h"
#include "resources/project_info.h"

namespace cyrvert {

namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* MakeStatic(QWidget* parent, const QString& text, const QRect& where) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // Never narrower than its text: the dialog font may be wider than the layout assumed.
  QRect fitted = where;
  fitted.setWidth(std::max(where.width(), label->fontMetrics().horizontalAdvance(text) + 2));
  label->setGeometry(fitted);
  return label;
}

}  // namespace

QString CAboutDlg::VersionLine() {
  return QStringLiteral("CyrVert для Windows 9X/NT, версия %1 build %2")
      .arg(FromUtf8(project::kVersion), FromUtf8(project::kBuildNumber));
}

CAboutDlg::CAboutDlg(LinkOpener& opener, MessageBoxes& boxes, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("CyrVert"));
  setModal(true);
  const detail::DialogUnits du(*this);
  setFixedSize(du.X(229), du.Y(142));

  auto* icon = new QLabel(this);
  icon->setGeometry(du.Rect(11, 17, 20, 20));
  icon->setPixmap(QApplication::windowIcon().pixmap(icon->size()));
  MakeStatic(this, VersionLine(), du.Rect(37, 18, 186, 8));
  QLabel* notice = MakeStatic(this, FromUtf8(project::kNotice), du.Rect(37, 28, 114, 8));
  QLabel* freeware = MakeStatic(this, QStringLiteral("freeware"), du.Rect(37, 40, 114, 8));
  freeware->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  MakeStatic(this, QStringLiteral("Последнюю версию можно скачать по адресам:"),
             du.Rect(32, 57, 165, 8));

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("1"));
  ok->setGeometry(du.Rect(82, 115, 64, 14));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  // Each link shows its text; the targets are set after, mail first, as the texts would be
  // without them.
  struct LinkInfo {
    int id;
    std::string_view text;
    QRect where;
  };
  const LinkInfo links[] = {
      {kIdMailLink, project::kContactMail, du.Rect(155, 28, 52, 8)},
      {kIdDownloadLink, project::kDownloadPage, du.Rect(20, 68, 196, 8)},
      {kIdHomeLink, project::kHomePage, du.Rect(20, 82, 102, 8)},
      {kIdRepositoryLink, project::kRepository, du.Rect(20, 96, 128, 8)},
  };
  for (const LinkInfo& info : links) {
    auto* link = new CUrlStatic(FromUtf8(info.text), {}, opener, boxes, this);
    link->setObjectName(QString::number(info.id));
    link->setGeometry(info.where);
    const QString prefix = info.id == kIdMailLink ? QStringLiteral("mailto:") : QString();
    link->SetTarget(prefix + FromUtf8(info.text));
    link->SetUnderlined(true);
    if (info.id == kIdMailLink) {
      // The mail link follows the notice line, however long the two are.
      const int noticeEnd = notice->x() + notice->fontMetrics().horizontalAdvance(notice->text());
      link->move(noticeEnd + du.X(4), link->y());
    }
  }
  // The box grows when a text or an address is longer than its place.
  int right = width();
  for (const QLabel* label : findChildren<QLabel*>()) {
    right = std::max(right, label->geometry().right() + du.X(6));
  }
  setFixedSize(right, height());
  ok->move((width() - ok->width()) / 2, ok->y());
  ok->setFocus();
}

CUrlStatic* CAboutDlg::Link(int id) const {
  return findChild<CUrlStatic*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

}  // namespace cyrvert
