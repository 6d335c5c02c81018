#pragma once
// The data pages viewer: one of the four page images the unit's memory
// holds (customer, factory, history, OCM), as 256 words in hex and decimal
// or as a hex dump with a character column. It only shows.

#include <QDialog>
#include <array>

#include "core/link/unit_memory.h"
#include "core/service/memory_page_text.h"

class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace ostrel {

class AppContext;

class CCalPages : public QDialog {
  Q_OBJECT

 public:
  CCalPages(AppContext& ctx, const std::array<UnitMemory::Page, 4>& pages,
            QWidget* parent = nullptr);

  // 0 customer, 1 factory, 2 history, 3 OCM.
  QRadioButton* pageChoice(int page) const { return pages_.at(static_cast<std::size_t>(page)); }
  QRadioButton* integerChoice() const { return integer_; }
  QRadioButton* hexChoice() const { return hex_; }
  QPlainTextEdit* display() const { return display_; }
  QPushButton* okButton() const { return ok_; }

 private:
  void build(AppContext& ctx);
  void showPage();

  const std::array<UnitMemory::Page, 4>& images_;
  std::array<QRadioButton*, 4> pages_{};
  QRadioButton* integer_ = nullptr;
  QRadioButton* hex_ = nullptr;
  QPlainTextEdit* display_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace ostrel
