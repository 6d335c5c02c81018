#include "gui/app/c_main_form.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/model/help_locator.h"
#include "core/session/app_context.h"
#include "core/support/presenter.h"
#include "gui/firmware/c_update_program.h"
#include "gui/support/c_help_browser.h"
#include "gui/support/c_property_page.h"
#include "gui/support/qt_presenter.h"

namespace ostrel {

CMainForm::CMainForm(AppContext& context, QtPresenter& presenter, const QString& caption,
                     QWidget* parent)
    : QDialog(parent), ctx_(context), presenter_(presenter) {
  setObjectName("CMainForm");
  setWindowTitle(caption);
  // An application window with a minimise box: the form is what the
  // taskbar shows while the tool works.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setWindowIcon(QApplication::windowIcon());

  tabs_ = new QTabWidget(this);
  help_ = new QPushButton(QString::fromStdString(ctx_.text("IDD_HELP", "Help")), this);
  help_->setObjectName("IDHELP");
  help_->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(help_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_, 1);
  layout->addLayout(buttons);
  resize(fontMetrics().averageCharWidth() * 100, fontMetrics().lineSpacing() * 32);

  connect(tabs_, &QTabWidget::currentChanged, this, &CMainForm::pageChanged);
  connect(help_, &QPushButton::clicked, this, &CMainForm::showHelp);
  qApp->installEventFilter(this);
}

CMainForm::~CMainForm() { qApp->removeEventFilter(this); }

void CMainForm::addPage(CPropertyPage* page) {
  QSignalBlocker block(tabs_);
  tabs_->addTab(page, page->title());
  if (current_ < 0) current_ = tabs_->currentIndex();
}

void CMainForm::removePage(CPropertyPage* page) {
  const int index = tabs_->indexOf(page);
  if (index < 0) return;
  QSignalBlocker block(tabs_);
  tabs_->removeTab(index);
  page->setParent(nullptr);
  current_ = tabs_->currentIndex();
}

void CMainForm::holdPage(Optional role, CPropertyPage* page) {
  held_[static_cast<std::size_t>(role)] = page;
  if (tabs_->indexOf(page) < 0) {
    page->setParent(this);
    page->hide();
  }
}

MainFormPages CMainForm::presentPages() const {
  auto shown = [this](Optional role) {
    const CPropertyPage* p = held_[static_cast<std::size_t>(role)];
    return p != nullptr && tabs_->indexOf(const_cast<CPropertyPage*>(p)) >= 0;
  };
  MainFormPages present;
  present.update = shown(Optional::Update);
  present.liveDisplay = shown(Optional::LiveDisplay);
  present.diagnostics = shown(Optional::Diagnostics);
  present.echoCurve = shown(Optional::EchoCurve);
  return present;
}

void CMainForm::showPages(const MainFormPages& wanted) {
  const bool want[] = {wanted.update, wanted.liveDisplay, wanted.diagnostics, wanted.echoCurve};
  QSignalBlocker block(tabs_);
  CPropertyPage* current = page(tabs_->currentIndex());
  for (std::size_t k = 0; k < held_.size(); ++k) {
    CPropertyPage* p = held_[k];
    if (p == nullptr) continue;
    const int index = tabs_->indexOf(p);
    if (want[k] && index < 0) {
      // After the last shown page that comes before it in the order.
      int at = tabs_->count();
      for (std::size_t later = k + 1; later < held_.size(); ++later) {
        const int i = held_[later] != nullptr ? tabs_->indexOf(held_[later]) : -1;
        if (i >= 0) {
          at = i;
          break;
        }
      }
      tabs_->insertTab(at, p, p->title());
    } else if (!want[k] && index >= 0) {
      tabs_->removeTab(index);
      p->setParent(this);
      p->hide();
    }
  }
  if (current != nullptr) tabs_->setCurrentWidget(current);
  current_ = tabs_->currentIndex();
}

int CMainForm::pageCount() const { return tabs_->count(); }

CPropertyPage* CMainForm::page(int index) const {
  return qobject_cast<CPropertyPage*>(tabs_->widget(index));
}

int CMainForm::activeIndex() const { return tabs_->currentIndex(); }

bool CMainForm::setActivePage(int index) {
  if (index < 0 || index >= tabs_->count()) return false;
  tabs_->setCurrentIndex(index);
  return tabs_->currentIndex() == index;
}

void CMainForm::pageChanged(int index) {
  if (switching_) return;
  CPropertyPage* previous = page(current_);
  if (previous != nullptr && current_ != index && !previous->OnKillActive()) {
    // The page keeps the sheet (a page may refuse while it works).
    switching_ = true;
    tabs_->setCurrentIndex(current_);
    switching_ = false;
    return;
  }
  current_ = index;
  if (CPropertyPage* now = page(index)) now->OnSetActive();
}

void CMainForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (tabs_->count() == 0) return;
  // The sheet opens on its start page. From the update page it turns to the
  // first page at once; after an accepted update offer the update page is
  // already programming and refuses, so the sheet stays on it.
  if (current_ < 0) current_ = 0;
  if (startPage_ > 0 && startPage_ < tabs_->count()) {
    setActivePage(startPage_);
  } else if (CPropertyPage* first = page(tabs_->currentIndex())) {
    first->OnSetActive();
  }
  startPage_ = 0;
  if (tabs_->currentIndex() == 1) setActivePage(0);
}

void CMainForm::keyPressEvent(QKeyEvent* event) {
  // Escape would close the whole sheet; the pages never see it either.
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool CMainForm::eventFilter(QObject* watched, QEvent* event) {
  // Right-button presses on the form or its pages are dropped.
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (mouse->button() == Qt::RightButton && widget != nullptr &&
        (widget == this || isAncestorOf(widget))) {
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void CMainForm::showHelp() {
  // The update page has a topic of its own.
  const bool update = qobject_cast<CUpdateProgram*>(page(activeIndex())) != nullptr;
  const HelpLocation at =
      HelpLocator::locate(HelpFiles{ctx_.Folders.Help, {}, ctx_.Identity.MainHelp},
                          update ? CUpdateProgram::kHelpTopic : HelpLocator::kDefaultTopic);
  if (!at.found()) {
    presenter_.messageBox(ctx_.text(HelpLocator::kMissingMessage), kStyleError);
    return;
  }
  CHelpBrowser::setLanguage(&ctx_.Language, &ctx_.Values);
  CHelpBrowser::show(at.File, this);
}

}  // namespace ostrel
