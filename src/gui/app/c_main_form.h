#pragma once
// The main form: a sheet of pages with a Help button, opened modally from
// the startup window. Its result tells the startup window what comes next:
// 1 connects and identifies again, anything else ends the tool.

#include <QDialog>
#include <array>
#include <vector>

#include "core/config/main_form_pages.h"

class QPushButton;
class QTabWidget;

namespace ostrel {

class AppContext;
class CPropertyPage;
class QtPresenter;

class CMainForm : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kReconnect = 1;

  CMainForm(AppContext& context, QtPresenter& presenter, const QString& caption,
            QWidget* parent = nullptr);
  ~CMainForm() override;

  // Pages are shown in the order added; the form takes ownership of the
  // widgets it shows. A page held but not shown belongs to its creator.
  void addPage(CPropertyPage* page);
  void removePage(CPropertyPage* page);
  int pageCount() const;
  CPropertyPage* page(int index) const;
  int activeIndex() const;
  // Makes the page current when it lets the current page go.
  bool setActivePage(int index);
  void setStartPage(int index) { startPage_ = index; }

  // The pages that come and go with the model's kind. The form keeps a
  // held page while it is not shown; showPages() adds and removes them so
  // that the sheet keeps the order update, live display, diagnostics, echo
  // curves after the pages added first.
  enum class Optional { Update, LiveDisplay, Diagnostics, EchoCurve };
  void holdPage(Optional role, CPropertyPage* page);
  MainFormPages presentPages() const;
  void showPages(const MainFormPages& wanted);

  QTabWidget* sheet() const { return tabs_; }
  QPushButton* helpButton() const { return help_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void pageChanged(int index);
  void showHelp();

  AppContext& ctx_;
  QtPresenter& presenter_;
  QTabWidget* tabs_;
  QPushButton* help_;
  std::array<CPropertyPage*, 4> held_{};
  int startPage_ = 0;
  int current_ = -1;
  bool switching_ = false;
};

}  // namespace ostrel
