// The configuration page as the user works it, offscreen, over the built-in
// simulated unit: the lists the page offers and fills in by itself, the
// status line, the level rows, the service tools, the sample program's
// model choice, Write to Unit while the window keeps painting, and a tank
// chosen through the Tanks dialogs landing on the unit.

#include <QComboBox>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "core/config/customer_page.h"
#include "core/session/app_context.h"
#include "core/session/startup_sequence.h"
#include "dialog_test_session.h"
#include "gui/config/c_generic_form.h"
#include "gui/config/c_level_picture.h"
#include "gui/support/context_help.h"
#include "gui/support/qt_presenter.h"
#include "gui/volume/c_alternate_page.h"
#include "gui/volume/c_dimension_form.h"
#include "gui/volume/c_non_linear2.h"

using namespace ostrel;

namespace {

// KM30 on the simulated unit: item 0 relay function, item 1 loop span.
constexpr int kRelayFunction = 0, kLoopSpan = 1;

}  // namespace

class CGenericFormTest : public QObject {
  Q_OBJECT

 private slots:
  void pageShowsTheUnitAndNarrowsItsLists() {
    test::DialogSession dlg("ultrasonic");
    QVERIFY(dlg.connect());

    CGenericForm page(PageServices{dlg.ctx(), dlg.presenter(), false});
    page.show();
    QElapsedTimer activation;
    activation.start();
    page.OnSetActive();
    qInfo("the page's activation took %lld ms", static_cast<long long>(activation.elapsed()));
    QCOMPARE(page.statusLine()->text(), QString("Valid Configuration #4"));
    QCOMPARE(page.itemList(kRelayFunction)->currentText(), QString("Alarms and Pump Down"));
    QCOMPARE(page.levelBox(5)->text(), QString("14.0"));
    QCOMPARE(page.levelCaption(5)->text(), QString("Alarm High"));
    QVERIFY(page.levelBox(0)->isHidden());
    QVERIFY(page.writeButton()->isEnabled());

    // The model's picture, its white surroundings in the window's colour, a
    // marker from each of the four shown level boxes to its row's point
    // (Alarm High, LEVEL[5], to the sixth overlay at 150|80).
    const CLevelPicture* picture = page.picture();
    QVERIFY(!picture->image().isNull());
    QCOMPARE(page.pictureCaption()->text(), QString("KM30 Ultrasonic Transmitter"));
    QVERIFY(picture->image().pixel(1, 1) != qRgb(255, 255, 255));
    QCOMPARE(picture->markers().size(), std::size_t{4});
    QCOMPARE(picture->markers().front().target, QPoint(150, 194));  // Alarm Low, LEVEL[2]
    QCOMPARE(picture->markers().back().target, QPoint(150, 80));

    // Context help knows the page's controls.
    auto* help = page.findChild<ContextHelp*>();
    QVERIFY(help != nullptr);
    QCOMPARE(help->topicFor(page.levelBox(5)), std::string("TANK_LEVELS_GROUP.htm"));
    QCOMPARE(help->topicFor(page.writeButton()), std::string("WRITE_TO_UNIT.htm"));
    QCOMPARE(help->topicFor(page.itemList(kLoopSpan)), std::string("LOOP_SPAN.htm"));  // the model's HLPCFG[2]
    QCOMPARE(help->topicFor(page.findChild<QLabel*>("IDC_DSLABEL")), std::string("DESCRIPTION.htm"));

    // A list dropped down and closed with Escape keeps its choice.
    ItemCombo* relayList = page.itemList(kRelayFunction);
    relayList->showPopup();
    QTest::keyClick(relayList->view(), Qt::Key_Escape);
    QCOMPARE(relayList->currentText(), QString("Alarms and Pump Down"));
    QCOMPARE(page.statusLine()->text(), QString("Valid Configuration #4"));
    QVERIFY(page.writeButton()->isEnabled());

    // Independent relays fix the loop span: the list offers one real choice
    // and takes it; the configuration has no level rows.
    ItemCombo* relay = page.itemList(kRelayFunction);
    const int independent = relay->findText("Independent Relays");
    QVERIFY(independent > 0);
    emit relay->activated(independent);
    QCOMPARE(page.itemList(kLoopSpan)->count(), 2);
    QCOMPARE(page.itemList(kLoopSpan)->currentIndex(), 1);
    QCOMPARE(page.statusLine()->text(), QString("Valid Configuration #1"));
    QVERIFY(page.levelBox(5)->isHidden());

    // Back to the pump configuration: its rows come back as they were.
    emit relay->activated(relay->findText("Alarms and Pump Down"));
    QVERIFY(!page.levelBox(5)->isHidden());
    QCOMPARE(page.levelBox(5)->text(), QString("14.0"));
    QCOMPARE(page.statusLine()->text(), QString("Valid Configuration #4"));
    QVERIFY(page.saveButton()->isEnabled());
  }

  void writeToUnitLandsThePageWhileTheWindowPaints() {
    test::DialogSession dlg("ultrasonic");
    QVERIFY(dlg.connect());
    CGenericForm page(PageServices{dlg.ctx(), dlg.presenter(), false});
    page.show();
    page.OnSetActive();

    QLineEdit* high = page.levelBox(5);
    high->selectAll();
    QTest::keyClicks(high, "15.5");
    QCOMPARE(page.model().config().levels[5], 15.5);
    dlg.presenter().clearShown();
    // A second unit after the first: yes, connect it (OK); the same unit is
    // still on the cable, which the page says before writing it again; then
    // no further unit.
    dlg.presenter().queueAnswer(kResultYes);
    dlg.presenter().queueAnswer(kResultOk);
    dlg.presenter().queueAnswer(kResultNo);

    test::PaintGapProbe probe;
    probe.start();
    QTest::mouseClick(page.writeButton(), Qt::LeftButton);
    probe.stop();
    qInfo("write took %lld ms; longest pause between ticks %lld ms", probe.elapsed(),
          probe.longest());
    // A sanitizer's run is slower than the window's 100 ms bound.
    if (!test::sanitized()) QVERIFY(probe.longest() < 100);

    QVERIFY(page.lastWrite().has_value());
    QCOMPARE(page.lastWrite()->status, WriteOutcome::Status::Written);
    QCOMPARE(page.lastWrite()->unitsWritten, 2);
    const QString stillConnected = QString::fromStdString(dlg.ctx().text("ERROR_MESSAGE28"));
    bool warned = false;
    for (const auto& shown : dlg.presenter().shown()) {
      warned = warned || QString::fromStdString(shown.text).contains(stillConnected);
    }
    QVERIFY(warned);
    // The unit holds it: its customer page read back anew.
    AppContext& ctx = dlg.ctx();
    UnitMemory::Page customer{};
    QCOMPARE(ctx.Memory->ReadPage(UnitMemory::kCustomer, customer.data()), 0);
    const CustomerPageDecoding d = CustomerPage::decode(customer, ctx.Database, ctx.Unit);
    QCOMPARE(d.configuration.levels[5], 15.5);
    QCOMPARE(high->text(), QString("15.5"));
    QVERIFY(page.writeButton()->isEnabled());
  }

  // The maker's View Tanks tool draws the model's picture with the overlay
  // drawings the counter's bits name, copying only their blue, so a model
  // file's overlay positions can be checked by eye.
  void viewTanksDrawsEachCombinationOfOverlays() {
    test::DialogSession dlg("ultrasonic");
    QVERIFY(dlg.connect());
    dlg.ctx().Values.MakerMode = true;
    CGenericForm page(PageServices{dlg.ctx(), dlg.presenter(), false});
    page.show();
    page.OnSetActive();
    QVERIFY(page.viewTanksButton()->isHidden());
    page.fileNameBox()->setText("test configurations");
    emit page.fileNameBox()->textEdited(page.fileNameBox()->text());
    QTest::mouseClick(page.openButton(), Qt::LeftButton);
    QVERIFY(!page.viewTanksButton()->isHidden());
    // The first test configuration: the tools stay for the next press.
    QTest::mouseClick(page.findChild<QPushButton*>("IDC_TESTCONFIGS"), Qt::LeftButton);
    QCOMPARE(page.serviceCounter()->text(), QString("1"));
    QVERIFY(!page.viewTanksButton()->isHidden());

    auto blue = [&page] {
      const QImage& image = page.picture()->image();
      int n = 0;
      for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) == 0x0000FF;
      }
      return n;
    };
    const int plain = blue();
    QTest::mouseClick(page.viewTanksButton(), Qt::LeftButton);
    QCOMPARE(page.serviceCounter()->text(), QString("0"));
    QCOMPARE(blue(), plain);
    QTest::mouseClick(page.viewTanksButton(), Qt::LeftButton);  // overlay 0: row 1 at 150|270
    const int first = blue();
    QVERIFY(first > plain);
    QTest::mouseClick(page.viewTanksButton(), Qt::LeftButton);  // overlay 1 alone
    QCOMPARE(page.serviceCounter()->text(), QString("2"));
    const int second = blue();
    QVERIFY(second > plain);
    QTest::mouseClick(page.viewTanksButton(), Qt::LeftButton);  // both
    QCOMPARE(blue(), first + second - plain);
    const int one = blue();
    for (int k = 4; k < 255; ++k) (void)page.model().viewTanks();
    QTest::mouseClick(page.viewTanksButton(), Qt::LeftButton);  // all eight
    QCOMPARE(page.serviceCounter()->text(), QString("255"));
    QVERIFY(blue() > one);
    QTest::mouseClick(page.viewTanksButton(), Qt::LeftButton);
    QCOMPARE(page.serviceCounter()->text(), QString("0"));
    QVERIFY(dlg.presenter().shown().empty());
  }

  // Sample mode: another model number reloads the page for that model, its
  // kind's boxes and the main form's pages with it.
  void sampleModelChoiceSwitchesKindLayoutAndPages() {
    test::DialogSession dlg("");
    QVERIFY(dlg.sample());

    CGenericForm page(PageServices{dlg.ctx(), dlg.presenter(), true});
    MainFormPages pages;
    pages.update = true;
    page.presentPages = [&pages] { return pages; };
    page.showPages = [&pages](const MainFormPages& wanted) { pages = wanted; };
    page.show();
    page.OnSetActive();
    QCOMPARE(page.modelList()->currentText(), QString("KM30"));
    QVERIFY(pages.liveDisplay && !pages.diagnostics);
    QVERIFY(!page.probeLengthBox()->isVisibleTo(&page));

    auto choose = [&page](const char* number) {
      const int at = page.modelList()->findText(number);
      QVERIFY(at >= 0);
      page.modelList()->setCurrentIndex(at);
      emit page.modelList()->activated(at);
    };
    choose("KM50");
    QCOMPARE(QString::fromStdString(dlg.ctx().Unit.modelFileName), QString("KM50_GuidedWave.txt"));
    QVERIFY(page.probeLengthBox()->isVisibleTo(&page));
    QVERIFY(!pages.liveDisplay && pages.diagnostics && pages.update);
    QCOMPARE(page.statusLine()->text(), QString("Valid Configuration #2"));  // its factory file
    // The help topics follow the model's kind.
    auto* help = page.findChild<ContextHelp*>();
    QCOMPARE(help->topicFor(page.sensorHeightBox()), std::string("LEVELS_GWR.htm"));

    choose("KM70");
    QVERIFY(page.deadBandBox()->isVisibleTo(&page));
    QVERIFY(!page.probeLengthBox()->isVisibleTo(&page));
    QVERIFY(pages.echoCurve && !pages.update && !pages.liveDisplay);
    QCOMPARE(help->topicFor(page.sensorHeightBox()), std::string("TANK_LEVELS_PULSE.htm"));
    // Back to the KM30: its file's own topic for the loop span is kept.
    choose("KM30");
    QCOMPARE(help->topicFor(page.itemList(kLoopSpan)), std::string("LOOP_SPAN.htm"));
    QCOMPARE(help->topicFor(page.sensorHeightBox()), std::string("TANK_LEVELS_GROUP.htm"));
    QVERIFY(dlg.presenter().shown().empty());

    // A level picture that cannot be read is reported once, however often
    // the page is redrawn after it.
    const QImage shownBefore = page.picture()->image();
    dlg.ctx().Images.Image = "no_such_picture.bmp";
    for (int units : {3, 2, 3}) {
      page.unitsList()->setCurrentIndex(units);
      emit page.unitsList()->activated(units);
    }
    int reported = 0;
    for (const auto& shown : dlg.presenter().shown()) {
      reported += QString::fromStdString(shown.text).contains("The picture cannot be loaded") ? 1 : 0;
    }
    QCOMPARE(reported, 1);
    QCOMPARE(page.picture()->image(), shownBefore);
  }

  // Tanks to the unit: the structure picker, a horizontal cylinder with
  // dished heads in US gallons, levels in gallons, Write to Unit; the unit's
  // table page then holds what the command-line tool computes for the same
  // tank.
  void tankChosenOnThePageLandsOnTheUnitAsTheToolComputesIt() {
    test::DialogSession dlg("ultrasonic");
    QVERIFY(dlg.connect());
    AppContext& ctx = dlg.ctx();
    CGenericForm page(PageServices{ctx, dlg.presenter(), false});
    page.show();
    page.OnSetActive();
    const UnitMemory::Page before = ctx.Memory->Pages[UnitMemory::kHistory];

    constexpr std::uint16_t kDished = 0x0300;
    int pickerShown = 0, formShown = 0;
    std::uint16_t shownAgain = 0;
    page.runDialog = [&](QDialog& d) {
      if (auto* picker = qobject_cast<CNonLinear2*>(&d)) {
        if (++pickerShown == 2) {
          shownAgain = picker->page(0)->selectedShape();
          picker->okButton()->click();
          return picker->result() == QDialog::Accepted;
        }
        QListWidget* list = picker->page(0)->list();
        for (int row = 0; row < list->count(); ++row) {
          list->setCurrentRow(row);
          if (picker->page(0)->selectedShape() == kDished) break;
        }
        picker->okButton()->click();
        return picker->result() == QDialog::Accepted;
      }
      auto* form = qobject_cast<CDimensionForm*>(&d);
      if (form == nullptr) return false;
      if (++formShown == 1) {
        form->tanksButton()->click();  // back to the structures first
        return false;
      }
      // Sensor 10 ft, full at 8 ft, no riser, 8 ft across, 20 ft long, 1 ft heads.
      const char* fields[] = {"10", "8", "0", "8", "20", "1"};
      for (int j = 0; j < 6; ++j) form->fieldBox(j)->setText(fields[j]);
      form->volumeRadio()->click();
      const int gallons = form->volumeUnitList()->findText("US Gallons");
      form->volumeUnitList()->setCurrentIndex(gallons);
      emit form->volumeUnitList()->activated(gallons);
      form->okButton()->click();
      return form->result() == QDialog::Accepted;
    };
    page.findChild<QPushButton*>("IDC_TANKS")->click();
    QCOMPARE(pickerShown, 2);
    QCOMPARE(formShown, 2);
    // Back from the form's own Tanks button, the picker showed the shape
    // chosen before.
    QCOMPARE(shownAgain, kDished);
    QCOMPARE(page.model().config().shapeCode, kDished);
    QCOMPARE(page.model().config().outputUnits, 32);
    QVERIFY(page.capacityLine()->text().startsWith("Capacity: 8021"));
    // The levels in feet meant nothing in gallons: entered anew.
    const std::pair<int, const char*> levels[] = {{5, "7000"}, {4, "6000"}, {3, "3000"}, {2, "1000"}};
    for (const auto& [level, text] : levels) {
      QVERIFY(page.levelBox(level)->text().isEmpty());
      page.levelBox(level)->setText(text);
      emit page.levelBox(level)->textEdited(text);
    }
    QVERIFY(page.writeButton()->isEnabled());
    dlg.presenter().clearShown();
    dlg.presenter().queueAnswer(kResultNo);  // no further unit
    QTest::mouseClick(page.writeButton(), Qt::LeftButton);
    QVERIFY(page.lastWrite().has_value());
    QCOMPARE(page.lastWrite()->status, WriteOutcome::Status::Written);

    // The tool's table command, over the unit's table page as it was.
    QProcess ctl;
    ctl.start(OSTREL_CTL_BINARY,
              {"table", "tank", "--json-in", "-", "--model",
               QString(OSTREL_SOURCE_DATA_DIR) + "/Models/KM30_Ultrasonic.txt"});
    QVERIFY(ctl.waitForStarted());
    const QByteArray prior = QByteArray(reinterpret_cast<const char*>(before.data()),
                                        static_cast<int>(before.size())).toHex().toUpper();
    QJsonObject input;
    input["shape"] = "0x0300";
    input["dimension_unit"] = 2;
    input["output_unit"] = 32;
    input["dimensions"] = QJsonArray({10, 8, 0, 8, 20, 1});
    input["prior_page"] = QString(prior);
    ctl.write(QJsonDocument(input).toJson());
    ctl.closeWriteChannel();
    QVERIFY(ctl.waitForFinished(10000));
    QCOMPARE(ctl.exitCode(), 0);
    const QJsonObject computed = QJsonDocument::fromJson(ctl.readAllStandardOutput()).object();
    UnitMemory::Page onUnit{};
    QCOMPARE(ctx.Memory->ReadPage(UnitMemory::kHistory, onUnit.data()), 0);
    const QByteArray unitHex = QByteArray(reinterpret_cast<const char*>(onUnit.data()),
                                          static_cast<int>(onUnit.size())).toHex().toUpper();
    QCOMPARE(QString(unitHex), computed.value("HistoryPage").toString());
  }
};

QTEST_MAIN(CGenericFormTest)
#include "c_generic_form_test.moc"
