// The list of Variants found, from which the user opens decodings one after another.
#pragma once

#include <QDialog>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/variant_search.h"

class QTreeWidget;

namespace cyrvert {

// Modal dialog 133: one row per Variant showing its decoded preview. A double-click opens
// the selected or focused row's Variant in a new window and leaves the dialog open.
class CVariantListDlg : public QDialog {
  Q_OBJECT

 public:
  // Control ids of the list and the "Выход" button.
  static constexpr int kIdList = 1027;
  static constexpr int kIdExit = 2;
  // Opens the Variant of a row in a new window.
  using OpenVariant = std::function<void(const Variant&)>;

  explicit CVariantListDlg(QWidget* parent = nullptr);

  // The previews (cp-1251 bytes) and the Variants, best first, and what opens a Variant.
  void SetVariants(const std::vector<std::string>& previews, const std::vector<Variant>& variants,
                   OpenVariant open);
  // The list control.
  QTreeWidget* List() const { return m_wndList; }

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Opens every selected or focused row.
  void OnDblClickList();
  // Fills the list from the stored previews.
  void FillList();

  QTreeWidget* m_wndList;
  std::vector<std::string> m_previews;
  std::vector<Variant> m_variants;
  OpenVariant m_open;
  bool m_bFilled = false;
};

// Shows preview bytes as cp-1251 text, stopping at a zero byte; line breaks and other
// control bytes become blanks so each row stays one line.
QString PreviewToDisplay(const std::string& preview);

}  // namespace cyrvert
