// The configuration page worked by hand, offscreen: boxes left with text
// that is no number, numbers too large for the unit, units changed back and
// forth, relay set points named in the checks' messages, a tank too large
// for the unit's table, and the page's lists, captions and dialogs in
// English and Chinese.

#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "core/session/app_context.h"
#include "dialog_test_session.h"
#include "gui/config/c_advanced_form.h"
#include "gui/config/c_advanced_pulse.h"
#include "gui/config/c_generic_form.h"
#include "gui/config/c_indy_relays.h"
#include "gui/config/page_sizing.h"
#include "gui/support/qt_presenter.h"
#include "gui/volume/c_alternate_page.h"
#include "gui/volume/c_dimension_form.h"
#include "gui/volume/c_non_linear2.h"

using namespace ostrel;

namespace {

constexpr int kRelayFunction = 0;
constexpr int kFeet = 2, kMetres = 3;

void retype(QLineEdit* box, const QString& text) {
  box->setFocus(Qt::MouseFocusReason);
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Backspace);
  QTest::keyClicks(box, text);
}

QStringList shownTexts(QtPresenter& presenter) {
  QStringList out;
  for (const auto& shown : presenter.shown()) out << QString::fromStdString(shown.text);
  return out;
}

void chooseUnits(CGenericForm& page, int units) {
  page.unitsList()->setCurrentIndex(units);
  emit page.unitsList()->activated(units);
}

}  // namespace

class CGenericFormEntryTest : public QObject {
  Q_OBJECT

 private slots:
  // A box left with "abc" keeps it and says which box; Write to Unit says
  // so again before any check, and a number too large for the unit is
  // refused by its own box and kept as typed. Units changed to feet and
  // back give the metres typed; a relay set point out of range is named as
  // the Relay Set Points dialog names it.
  void boxesRefuseTextConvertWithoutDriftAndNameTheirFailure() {
    test::DialogSession dlg("ultrasonic");
    QVERIFY(dlg.connect());
    CGenericForm page(PageServices{dlg.ctx(), dlg.presenter(), false});
    page.show();
    QApplication::setActiveWindow(&page);
    QVERIFY(QTest::qWaitForWindowActive(&page));
    page.OnSetActive();
    QtPresenter& presenter = dlg.presenter();
    presenter.clearShown();

    QLineEdit* sensor = page.sensorHeightBox();
    retype(sensor, "abc");
    QTest::keyClick(sensor, Qt::Key_Tab);
    QCOMPARE(shownTexts(presenter), QStringList{"Sensor Height: abc is not a valid number."});
    QVERIFY(sensor->hasFocus());
    QCOMPARE(sensor->text(), QString("abc"));
    QCOMPARE(sensor->selectedText(), QString("abc"));

    // Straight to Write to Unit: one message, the box's, and no write.
    presenter.clearShown();
    QTest::mouseClick(page.writeButton(), Qt::LeftButton);
    QCOMPARE(shownTexts(presenter), QStringList{"Sensor Height: abc is not a valid number."});
    QVERIFY(!page.lastWrite().has_value());
    QCOMPARE(sensor->text(), QString("abc"));

    const QString huge = "99999999999999999999";
    retype(sensor, huge);
    presenter.clearShown();
    QTest::keyClick(sensor, Qt::Key_Tab);
    QVERIFY(presenter.shown().empty());  // a number: the write's checks judge it
    QTest::mouseClick(page.writeButton(), Qt::LeftButton);
    QCOMPARE(presenter.shown().size(), std::size_t{1});
    const QString refused = QString::fromStdString(presenter.shown().front().text);
    QVERIFY2(refused.contains("Sensor Height: value above the maximum"), qPrintable(refused));
    QCOMPARE(sensor->text(), huge);
    QVERIFY(!page.lastWrite().has_value());

    // Metres to feet and back: the metres typed.
    chooseUnits(page, kMetres);
    retype(sensor, "6.1");
    retype(page.fillHeightBox(), "5");
    chooseUnits(page, kFeet);
    QCOMPARE(sensor->text(), QString("20.01"));
    chooseUnits(page, kMetres);
    QCOMPARE(sensor->text(), QString("6.1"));
    QCOMPARE(page.fillHeightBox()->text(), QString("5.0"));

    // Independent relays: relay 2's OFF point beyond the tank.
    ItemCombo* relay = page.itemList(kRelayFunction);
    const int independent = relay->findText("Independent Relays");
    QVERIFY(independent > 0);
    emit relay->activated(independent);
    dlg.ctx().Unit.independentLevels = {3.0f, 4.0f, 0, 0, 2.0f, 50.0f, 0, 0};
    presenter.clearShown();
    QTest::mouseClick(page.writeButton(), Qt::LeftButton);
    QCOMPARE(presenter.shown().size(), std::size_t{1});
    const QString relayRefused = QString::fromStdString(presenter.shown().front().text);
    QVERIFY2(relayRefused.contains("Relay 2 OFF: value above the maximum"),
             qPrintable(relayRefused));
    // In Chinese, as the dialog shows it there.
    dlg.ctx().Values.LanguageNumber = 1;
    presenter.clearShown();
    QTest::mouseClick(page.writeButton(), Qt::LeftButton);
    QCOMPARE(presenter.shown().size(), std::size_t{1});
    const QString inChinese = QString::fromStdString(presenter.shown().front().text);
    QVERIFY2(inChinese.contains(QString::fromUtf8("继电器 2 关：")), qPrintable(inChinese));
    QVERIFY(!page.lastWrite().has_value());
  }

  // A tank whose full value the unit's table cannot hold is refused in the
  // Tanks form; a capacity of many digits (as a file can bring it) is
  // shortened in its line and does not widen the page.
  void aTankTooLargeIsRefusedAndLongNumbersKeepThePageWidth() {
    test::DialogSession dlg("ultrasonic");
    QVERIFY(dlg.connect());
    AppContext& ctx = dlg.ctx();
    CGenericForm page(PageServices{ctx, dlg.presenter(), false});
    page.show();
    page.OnSetActive();
    QVERIFY(QTest::qWaitForWindowExposed(&page));

    constexpr std::uint16_t kVertical = 0x0100;
    bool formStayedOpen = false;
    QString formMessage;
    page.runDialog = [&](QDialog& d) {
      if (auto* picker = qobject_cast<CNonLinear2*>(&d)) {
        QListWidget* list = picker->page(0)->list();
        for (int row = 0; row < list->count(); ++row) {
          list->setCurrentRow(row);
          if (picker->page(0)->selectedShape() == kVertical) break;
        }
        picker->okButton()->click();
        return picker->result() == QDialog::Accepted;
      }
      auto* form = qobject_cast<CDimensionForm*>(&d);
      if (form == nullptr) return false;
      form->show();
      // Sensor 12 ft, fill 10 ft, 10 ft high, 99999999999 ft across.
      const char* fields[] = {"12", "10", "0", "10", "99999999999"};
      for (int j = 0; j < 5; ++j) form->fieldBox(j)->setText(fields[j]);
      form->volumeRadio()->click();
      dlg.presenter().clearShown();
      form->okButton()->click();
      formStayedOpen = form->isVisible() && form->result() != QDialog::Accepted;
      if (!dlg.presenter().shown().empty()) {
        formMessage = QString::fromStdString(dlg.presenter().shown().back().text);
      }
      form->reject();
      return false;
    };
    page.findChild<QPushButton*>("IDC_TANKS")->click();
    QVERIFY(formStayedOpen);
    QVERIFY2(formMessage.contains("is too large for the table of the unit"), qPrintable(formMessage));
    QCOMPARE(page.model().config().shapeCode, ctx.Unit.shapeCode);
    QVERIFY(page.model().config().shapeCode != kVertical);

    // A tank of many digits as the page's own (as a file can bring it):
    // the capacity line shortens it to the room it has, and the page asks
    // no more width than with an ordinary tank.
    VolumeTable& table = page.model().volume();
    auto takeTank = [&](float diameter) {
      const float dims[] = {12, 10, 0, 10, diameter};
      for (int j = 0; j < 5; ++j) table.Dimensions[static_cast<std::size_t>(j)] = dims[j];
      table.Dimensions[9] = 0;
      page.model().applyStructure(kVertical, 32, kFeet);
      QApplication::processEvents();
    };
    takeTank(10);
    page.resize(page.minimumSizeHint().width(), page.height());
    QApplication::processEvents();
    const int widthBefore = page.minimumSizeHint().width();
    takeTank(1e18f);
    QLabel* capacity = page.capacityLine();
    const QString full = capacity->toolTip();
    QVERIFY2(full.size() > 45, qPrintable(full));
    QVERIFY(page.minimumSizeHint().width() <= widthBefore);
    QVERIFY(capacity->fontMetrics().horizontalAdvance(capacity->text()) <=
            capacity->contentsRect().width());
    QVERIFY(capacity->text().endsWith(QChar(0x2026)));
  }

  // Every list of the page shows its longest entry, and the page's dialogs
  // are as wide as their titles, in English and in Chinese; Escape closes
  // them (the Advanced dialog of page-based units keeps it ignored). The
  // sample program's no-unit message is the tool's own message box.
  void listsAndTitlesFitInEveryLanguageAndEscapeCloses() {
    for (int language : {0, 1}) {
      test::DialogSession dlg("");
      QVERIFY(dlg.sample());
      AppContext& ctx = dlg.ctx();
      ctx.Values.LanguageNumber = language;
      CGenericForm page(PageServices{ctx, dlg.presenter(), true});
      page.show();
      page.OnSetActive();
      QVERIFY(QTest::qWaitForWindowExposed(&page));
      QApplication::processEvents();

      int lists = 0;
      for (QComboBox* list : page.findChildren<QComboBox*>()) {
        if (!list->isVisibleTo(&page)) continue;
        QStringList entries;
        for (int k = 0; k < list->count(); ++k) entries << list->itemText(k);
        for (int item = 0; item < UnitConfiguration::kConfigItems; ++item) {
          if (list != page.itemList(item)) continue;
          for (int c = 0; !page.model().choiceText(item, c).empty() || c == 0; ++c) {
            entries << QString::fromStdString(page.model().choiceText(item, c));
          }
        }
        ++lists;
        for (const QString& entry : entries) {
          QVERIFY2(list->fontMetrics().horizontalAdvance(entry) <= listTextRoom(list),
                   qPrintable(QString("%1 in %2 (language %3)")
                                  .arg(entry, list->objectName())
                                  .arg(language)));
        }
      }
      QVERIFY(lists >= 6);  // items, units, model number

      // The dialogs: as wide as their titles, and Escape closes them.
      int dialogs = 0;
      page.runDialog = [&](QDialog& d) {
        d.show();
        QApplication::processEvents();
        // The title as a title bar draws it, bold, beside an icon and
        // three buttons.
        QFont bold = d.font();
        bold.setBold(true);
        const int title = QFontMetrics(bold).horizontalAdvance(d.windowTitle()) + 120;
        if (d.width() < title) {
          qWarning("%s is %d wide for a title of %d", qPrintable(d.windowTitle()), d.width(), title);
          return false;
        }
        QTest::keyClick(&d, Qt::Key_Escape);
        if (d.isVisible()) return false;
        ++dialogs;
        return false;
      };
      ItemCombo* relay = page.itemList(kRelayFunction);
      constexpr int kIndependent = 5, kAlarmsAndPumpDown = 1;  // KM30's relay functions
      auto choose = [&](int choice) {
        emit relay->activated(relay->findText(QString::fromStdString(
            page.model().choiceText(kRelayFunction, choice))));
      };
      choose(kIndependent);
      page.findChild<QPushButton*>("IDC_INDEPENDENTBTN")->click();
      QCOMPARE(dialogs, 1);
      page.findChild<QPushButton*>("IDC_TANKS")->click();  // the picker
      QCOMPARE(dialogs, 2);
      choose(kAlarmsAndPumpDown);
      page.saveButton()->click();  // the file name
      QCOMPARE(dialogs, 3);

      CAdvancedForm advanced(ctx, dlg.presenter(), &page);
      advanced.show();
      QTest::keyClick(&advanced, Qt::Key_Escape);
      QVERIFY(advanced.isVisible());
      CAdvancedPulse radar(ctx, dlg.presenter(), PulseParameters{}, &page);
      radar.show();
      QTest::keyClick(&radar, Qt::Key_Escape);
      QVERIFY(!radar.isVisible());
      QCOMPARE(radar.QDialog::result(), int{QDialog::Rejected});

      dlg.presenter().clearShown();
      page.writeButton()->setEnabled(true);
      page.writeButton()->click();
      QCOMPARE(dlg.presenter().shown().size(), std::size_t{1});
      QCOMPARE(dlg.presenter().shown().front().kind, QtPresenter::Shown::Kind::MessageBox);
      QCOMPARE(dlg.presenter().shown().front().style, unsigned{kStyleInformation});
    }
  }
};

QTEST_MAIN(CGenericFormEntryTest)
#include "c_generic_form_entry_test.moc"
