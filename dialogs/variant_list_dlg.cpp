#include "dialogs/variant_list_dlg.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeWidget>
#include <utility>

#include "dialogs/dialog_units.h"
#include "engine/unicode_codec.h"

namespace cyrvert {
namespace detail {
namespace {

constexpr int kColumnWidth = 600;

}  // namespace
}  // namespace detail

QString PreviewToDisplay(const std::string& preview) {
  // The view's own byte table, so a Qt build without a cp-1251 codec shows the same letters.
  std::string bytes = preview.substr(0, preview.find('\0'));
  for (char& c : bytes) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return QString::fromUtf8(kViewCodec.ToUtf8(bytes));
}

CVariantListDlg::CVariantListDlg(QWidget* parent)
    : QDialog(parent), m_wndList(new QTreeWidget(this)) {
  setWindowTitle(QStringLiteral("Выберите варианты..."));
  setModal(true);
  const detail::DialogUnits du(*this);
  setFixedSize(du.X(420), du.Y(164));

  m_wndList->setObjectName(QString::number(kIdList));
  m_wndList->setGeometry(du.Rect(7, 7, 405, 109));
  m_wndList->setColumnCount(1);
  m_wndList->setHeaderLabels({QStringLiteral("Вариант")});
  m_wndList->headerItem()->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
  m_wndList->header()->setSectionsClickable(false);
  m_wndList->header()->setStretchLastSection(false);
  m_wndList->setSortingEnabled(false);
  m_wndList->setRootIsDecorated(false);
  m_wndList->setUniformRowHeights(true);
  m_wndList->setSelectionMode(QAbstractItemView::SingleSelection);
  m_wndList->setFrameShape(QFrame::StyledPanel);
  m_wndList->setExpandsOnDoubleClick(false);
  connect(m_wndList, &QTreeWidget::itemDoubleClicked, this, [this] { OnDblClickList(); });

  auto* exit = new QPushButton(QStringLiteral("Выход"), this);
  exit->setObjectName(QString::number(kIdExit));
  exit->setGeometry(du.Rect(136, 143, 148, 14));
  exit->setAutoDefault(false);
  connect(exit, &QPushButton::clicked, this, &QDialog::reject);
}

void CVariantListDlg::SetVariants(const std::vector<std::string>& previews,
                                  const std::vector<Variant>& variants, OpenVariant open) {
  m_previews = previews;
  m_variants = variants;
  m_open = std::move(open);
  m_bFilled = false;
  if (isVisible()) FillList();
}

void CVariantListDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!m_bFilled) FillList();
}

void CVariantListDlg::FillList() {
  m_wndList->clear();
  m_wndList->setColumnWidth(0, detail::kColumnWidth);
  const std::size_t rows = std::min(m_previews.size(), m_variants.size());
  for (std::size_t i = 0; i < rows; ++i) {
    auto* item = new QTreeWidgetItem(m_wndList);
    item->setText(0, PreviewToDisplay(m_previews[i]));
  }
  m_bFilled = true;
}

void CVariantListDlg::OnDblClickList() {
  if (!m_open) return;
  const int current = m_wndList->currentIndex().row();
  const int rows = m_wndList->topLevelItemCount();
  for (int i = 0; i < rows; ++i) {
    const QTreeWidgetItem* item = m_wndList->topLevelItem(i);
    if (item->isSelected() || i == current) {
      m_open(m_variants[static_cast<std::size_t>(i)]);
    }
  }
}

void CVariantListDlg::keyPressEvent(QKeyEvent* event) {
  // Enter closes the list as OK would; the variants are opened by double-click only.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace cyrvert
