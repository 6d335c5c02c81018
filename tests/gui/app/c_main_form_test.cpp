// The main form's sheet rules and the quick-start guide prompt.

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/session/app_context.h"
#include "gui/app/c_main_form.h"
#include "gui/app/c_ostrel_dlg.h"
#include "gui/app/c_view_guide.h"
#include "gui/support/c_property_page.h"
#include "gui/support/qt_presenter.h"

using ostrel::CMainForm;
using ostrel::COstrelDlg;
using ostrel::CPropertyPage;
using ostrel::CViewGuide;
using ostrel::PageServices;
namespace fs = std::filesystem;

namespace {

// A page that can refuse to be left and counts its activations.
class TestPage : public CPropertyPage {
 public:
  TestPage(const char* key, PageServices services) : CPropertyPage(key, key, services) {}
  void OnSetActive() override {
    ++activations;
    CPropertyPage::OnSetActive();
  }
  bool OnKillActive() override { return !refuseToLeave; }
  int activations = 0;
  bool refuseToLeave = false;
};

ostrel::StartupOptions options(const QTemporaryDir& dir, bool unattended) {
  ostrel::StartupOptions o;
  o.dataDir = fs::path(dir.path().toStdString()) / "data";
  o.configRoot = fs::path(dir.path().toStdString()) / "config";
  o.unattended = unattended;
  o.simulate = "ultrasonic";
  return o;
}

}  // namespace

class CMainFormTest : public QObject {
  Q_OBJECT

 private slots:
  void sheetKeepsAPageThatRefusesToBeLeft() {
    QTemporaryDir dir;
    COstrelDlg dlg(options(dir, true));
    QVERIFY(dlg.initialise());
    const PageServices services{dlg.context(), dlg.presenter(), false};
    CMainForm form(dlg.context(), dlg.presenter(), "caption");
    auto* first = new TestPage("IDD_GENERICFORM", services);
    auto* second = new TestPage("IDD_UPDATEPROGRAM", services);
    form.addPage(first);
    form.addPage(second);
    QCOMPARE(form.sheet()->tabText(1), QString("Updates"));
    QCOMPARE(form.helpButton()->text(), QString("Help"));

    // An accepted update offer opens the sheet on the update page, which
    // keeps it while it works.
    second->refuseToLeave = true;
    form.setStartPage(1);
    form.show();
    QCOMPARE(form.activeIndex(), 1);
    QCOMPARE(second->activations, 1);
    QVERIFY(!form.setActivePage(0));
    QCOMPARE(form.activeIndex(), 1);
    QCOMPARE(first->activations, 0);

    second->refuseToLeave = false;
    QVERIFY(form.setActivePage(0));
    QCOMPARE(first->activations, 1);

    // Opened on the update page when that page lets go: the sheet turns to
    // the first page at once.
    form.hide();
    form.setStartPage(1);
    form.show();
    QCOMPARE(form.activeIndex(), 0);
    QCOMPARE(second->activations, 2);
    QCOMPARE(first->activations, 2);

    // Escape closes nothing.
    QTest::keyClick(&form, Qt::Key_Escape);
    QVERIFY(form.isVisible());
    QCOMPARE(form.result(), 0);
  }

  void guideDeclinedForGoodIsNotOfferedAgain() {
    QTemporaryDir dir;
    bool prompted = false;
    // The prompt is modal: answer it when it shows.
    QTimer::singleShot(0, this, [&prompted] {
      auto* guide = qobject_cast<CViewGuide*>(QApplication::activeModalWidget());
      if (guide == nullptr) return;
      prompted = true;
      guide->skipBox()->setChecked(true);
      guide->noButton()->click();
    });
    {
      COstrelDlg dlg(options(dir, false));
      QVERIFY(dlg.initialise());
      QVERIFY(prompted);
      QVERIFY(!dlg.context().Values.ShowGuide);
    }
    // The next start reads GUIDE = FALSE from the store and asks nothing.
    COstrelDlg again(options(dir, true));
    QVERIFY(again.initialise());
    QVERIFY(!again.context().Values.ShowGuide);
  }

  void guideButtonsHonourTheBoxOnlyWhenTicked() {
    QTemporaryDir dir;
    COstrelDlg dlg(options(dir, true));
    QVERIFY(dlg.initialise());
    bool show = true;
    CViewGuide guide(dlg.context(), show);
    QCOMPARE(guide.windowTitle(), QString("Quick Start Guide"));
    guide.yesButton()->click();
    QCOMPARE(guide.result(), int(QDialog::Accepted));
    QVERIFY(show);
    guide.skipBox()->setChecked(true);
    guide.yesButton()->click();
    QVERIFY(!show);
  }
};

QTEST_MAIN(CMainFormTest)
#include "c_main_form_test.moc"
