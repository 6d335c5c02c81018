// The service commands of the configuration page, offscreen, over the
// built-in simulated unit: a direct entry written to the unit and decoded
// again on the page, an information memory edit written and read back, and
// the tech-support mail received by a loopback mail server. The dialogs are
// also saved as pictures when OSTREL_SHOTS_OUT names a folder.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <ctime>
#include <filesystem>

#include "core/config/customer_page.h"
#include "core/net/tech_support.h"
#include "core/service/memory_page_text.h"
#include "core/session/app_context.h"
#include "dialog_test_session.h"
#include "gui_test_helpers.h"
#include "gui/config/c_generic_form.h"
#include "gui/service/c_cal_pages.h"
#include "gui/service/c_direct_entry.h"
#include "gui/service/c_info_memory.h"
#include "gui/service/c_tech_support.h"
#include "gui/support/qt_presenter.h"
#include "python_server.h"

using namespace ostrel;
namespace fs = std::filesystem;

namespace {

// Types a service command into the page's file-name box and opens it.
void command(CGenericForm& page, const QString& text) {
  page.fileNameBox()->clear();
  QTest::keyClicks(page.fileNameBox(), text);
  QTest::mouseClick(page.openButton(), Qt::LeftButton);
}

bool shownContains(QtPresenter& presenter, const std::string& text) {
  for (const auto& s : presenter.shown()) {
    if (s.text.find(text) != std::string::npos) return true;
  }
  return false;
}

// A dialog laid out and shown first, so that its picture is the one the
// user sees.
void saveShot(QWidget& w, const char* name) {
  if (qEnvironmentVariable("OSTREL_SHOTS_OUT").isEmpty()) return;
  w.adjustSize();
  w.show();
  QTest::qWait(50);
  test::keep(w, QString(name).remove(".png"));
}

std::uint16_t word(const UnitMemory::Page& page, int w) {
  return static_cast<std::uint16_t>(page[2 * w] | (page[2 * w + 1] << 8));
}

}  // namespace

class ServiceDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  // A word of the high alarm changed through the dialog reaches the unit,
  // and the page shows what the unit's customer page now says.
  void directEntryLandsOnTheUnitAndThePageDecodesItAgain() {
    test::DialogSession dlg("ultrasonic");
    QVERIFY(dlg.connect());
    AppContext& ctx = dlg.ctx();
    CGenericForm page(PageServices{ctx, dlg.presenter(), false});
    page.show();
    page.OnSetActive();
    QCOMPARE(page.levelBox(5)->text(), QString("14.0"));

    // The high alarm's copy as a float (14.0 is 0x41600000): its high word
    // made 0x4170 makes the level 15.0.
    const UnitMemory::Page& image = ctx.Memory->Pages[UnitMemory::kCustomer];
    int levelWord = -1;
    for (int w = 0; w + 1 < 256 && levelWord < 0; ++w) {
      if (word(image, w) == 0x0000 && word(image, w + 1) == 0x4160) levelWord = w + 1;
    }
    QVERIFY(levelWord > 0);
    const std::uint16_t wanted = 0x4170;

    bool opened = false;
    page.runDialog = [&](QDialog& d) {
      auto* entry = qobject_cast<CDirectEntry*>(&d);
      if (entry == nullptr) return false;
      opened = true;
      saveShot(*entry, "direct_entry.png");
      // The customer page is chosen at opening; an address beyond the page
      // keeps the dialog open with its message.
      if (!entry->customerChoice()->isChecked()) return false;
      entry->addressBox()->setText("256");
      entry->valueBox()->setText(QString::number(wanted));
      QTest::mouseClick(entry->updateButton(), Qt::LeftButton);
      if (d.result() == QDialog::Accepted) return false;
      entry->addressBox()->setText(QString::number(levelWord));
      QTest::mouseClick(entry->updateButton(), Qt::LeftButton);
      return d.result() == QDialog::Accepted;
    };
    dlg.presenter().clearShown();
    command(page, "Direct Entry");
    QVERIFY(opened);
    QVERIFY(shownContains(dlg.presenter(), ctx.text("ERROR_MESSAGE67")));

    UnitMemory::Page unit{};
    QCOMPARE(ctx.Memory->ReadPage(UnitMemory::kCustomer, unit.data()), 0);
    QCOMPARE(word(unit, levelWord), wanted);
    CustomerPage::Bytes bytes{};
    std::copy(unit.begin(), unit.end(), bytes.begin());
    const CustomerPageDecoding d = CustomerPage::decode(bytes, ctx.Database, ctx.Unit);
    QCOMPARE(d.boxes.levels[5], std::string("15.0"));
    QCOMPARE(page.levelBox(5)->text(), QString::fromStdString(d.boxes.levels[5]));
    QCOMPARE(page.model().config().levels[5], d.configuration.levels[5]);
  }

  // Maker mode: the information memory read from the unit, edited in the
  // dialog (a refused text first) and written; the unit then holds exactly
  // what was typed, and every byte the fields do not cover is as it was.
  void infoMemoryEditIsWrittenAndReadBack() {
    test::DialogSession dlg("ultrasonic");
    QVERIFY(dlg.connect());
    AppContext& ctx = dlg.ctx();
    ctx.Values.MakerMode = true;
    CGenericForm page(PageServices{ctx, dlg.presenter(), false});
    page.show();
    page.OnSetActive();
    std::array<std::uint8_t, UnitMemory::kInfoSize> before{};
    QCOMPARE(ctx.Memory->ReadInfoMemory(before.data()), 0);

    bool opened = false;
    page.runDialog = [&](QDialog& d) {
      auto* info = qobject_cast<CInfoMemory*>(&d);
      if (info == nullptr) return false;
      opened = true;
      saveShot(*info, "info_memory.png");
      if (!info->updateButton()->isEnabled()) return false;
      info->field(InfoField::CALD)->setText("0x12345");
      info->field(InfoField::UNITNUM)->setText("-1");
      info->field(InfoField::HWMODEL)->setText("AB3");
      const QString tcal = info->field(InfoField::TCAL)->text();
      info->field(InfoField::TCAL)->setText("12abc");
      QTest::mouseClick(info->updateButton(), Qt::LeftButton);
      if (d.result() == QDialog::Accepted) return false;
      info->field(InfoField::TCAL)->setText(tcal);
      QTest::mouseClick(info->updateButton(), Qt::LeftButton);
      return d.result() == QDialog::Accepted;
    };
    dlg.presenter().clearShown();
    command(page, "info memory");
    QVERIFY(opened);
    QVERIFY(shownContains(dlg.presenter(), ctx.format("SVC_MESSAGE6", {"TCAL"})));

    std::array<std::uint8_t, UnitMemory::kInfoSize> after{};
    QCOMPARE(ctx.Memory->ReadInfoMemory(after.data()), 0);
    std::array<std::uint8_t, UnitMemory::kInfoSize> expected = before;
    expected[8] = 0x45, expected[9] = 0x23;  // CALD
    for (int i = 32; i < 36; ++i) expected[static_cast<std::size_t>(i)] = 0xFF;  // UNITNUM
    expected[14] = 'A', expected[15] = 'B', expected[16] = '3', expected[17] = 0;
    QCOMPARE(after, expected);
  }

  // The tech-support dialog opens on today's code; with nothing typed it
  // names all five fields; filled in, its mail reaches the loopback server
  // with the unit's four memories attached, and the files are removed.
  void techSupportMailArrivesWithTheUnitsMemories() {
    QTemporaryDir inbox;
    test::PythonServer server({test::netTestScript("smtp_sink.py"), inbox.path().toStdString()});
    QVERIFY2(server.port() > 0, "the mail server did not start");

    test::DialogSession dlg("ultrasonic");
    QVERIFY(dlg.connect());
    AppContext& ctx = dlg.ctx();
    ctx.Values.TechSupport = true;
    CGenericForm page(PageServices{ctx, dlg.presenter(), false});
    page.show();
    page.OnSetActive();

    bool opened = false;
    page.runDialog = [&](QDialog& d) {
      auto* ts = qobject_cast<CTechSupport*>(&d);
      if (ts == nullptr) return false;
      opened = true;
      dlg.presenter().queueAnswer(kResultYes);  // "Retry?": stay
      QTest::mouseClick(ts->sendButton(), Qt::LeftButton);
      ts->serverBox()->setText(QString("127.0.0.1:%1").arg(server.port()));
      ts->nameBox()->setText("Ana Ruiz");
      ts->phoneBox()->setText("+34 600 000 000");
      ts->emailBox()->setText("ana@example.com");
      ts->descriptionBox()->setPlainText("Level jumps at night.\n.\nThanks");
      saveShot(*ts, "tech_support.png");
      QTest::mouseClick(ts->sendButton(), Qt::LeftButton);
      return d.result() == QDialog::Accepted;
    };
    dlg.presenter().clearShown();
    std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    command(page, QString::fromStdString(ConfigPageModel::supportCode(today)));
    QVERIFY(opened);
    const std::string missing =
        "Data incomplete.\n\t- email server name\n\t- contact name\n\t- phone number\n"
        "\t- email address\n\t- description of the problem\nRetry?";
    QVERIFY(shownContains(dlg.presenter(), missing));

    const QString message = inbox.path() + "/message-1.json";
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(message), 10000);
    QFile f(message);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QJsonObject doc = QJsonDocument::fromJson(f.readAll()).object();
    QCOMPARE(doc["mail_from"].toString(), QString("ana@example.com"));
    QCOMPARE(doc["rcpt_tos"].toArray().size(), 1);
    QCOMPARE(doc["rcpt_tos"].toArray()[0].toString(), QString::fromStdString(ctx.Identity.SupportMail));
    const UnitMemory& m = *ctx.Memory;
    const std::map<QString, std::string> files = {
        {"InfoMemory.txt", memoryWordsText(m.Info.data(), 64)},
        {"CustomerDataPage.txt", memoryWordsText(m.Pages[UnitMemory::kCustomer].data(), 256)},
        {"FactoryDataPage.txt", memoryWordsText(m.Pages[UnitMemory::kFactory].data(), 256)},
        {"HistoryPage.txt", memoryWordsText(m.Pages[UnitMemory::kHistory].data(), 256)}};
    int attached = 0;
    QString body;
    for (const QJsonValue v : doc["parts"].toArray()) {
      const QJsonObject part = v.toObject();
      const QByteArray data = QByteArray::fromBase64(part["data"].toString().toLatin1());
      const QString name = part["filename"].toString();
      if (name.isEmpty()) {
        body = QString::fromUtf8(data).replace("\r\n", "\n");
        continue;
      }
      QVERIFY2(files.count(name) == 1, qPrintable(name));
      QCOMPARE(data.toStdString(), files.at(name));
      ++attached;
    }
    QCOMPARE(attached, 4);
    QVERIFY(body.contains("CUSTOMER NAME:  Ana Ruiz\n"));
    QVERIFY(body.contains("PROBLEM DESCRIPTION:  Level jumps at night.\n.\nThanks"));
    for (const auto& [name, text] : files) {
      QVERIFY2(!fs::exists(ctx.Folders.Logs / name.toStdString()), qPrintable(name));
    }
  }

  // The viewer switches format on the page it shows: the OCM page stays
  // chosen when the hex format is taken.
  void calPagesShowTheChosenPageInTheChosenFormat() {
    test::DialogSession dlg("ultrasonic");
    QVERIFY(dlg.connect());
    AppContext& ctx = dlg.ctx();
    std::array<UnitMemory::Page, 4> pages = ctx.Memory->Pages;
    pages[3][16] = 0x41;
    CCalPages viewer(ctx, pages);
    QCOMPARE(viewer.windowTitle(), QString::fromStdString(ctx.text("IDD_CALPAGES")));
    QVERIFY(viewer.pageChoice(0)->isChecked());
    QVERIFY(viewer.integerChoice()->isChecked());
    QCOMPARE(viewer.display()->toPlainText().toStdString() + "\n",
             memoryPageText(pages[0].data(), PageTextFormat::Integer, "\n"));
    saveShot(viewer, "cal_pages_integer.png");
    viewer.pageChoice(3)->click();
    viewer.hexChoice()->click();
    QCOMPARE(viewer.display()->toPlainText().toStdString() + "\n",
             memoryPageText(pages[3].data(), PageTextFormat::Hex, "\n"));
    saveShot(viewer, "cal_pages_hex.png");
  }
};

QTEST_MAIN(ServiceDialogsTest)
#include "service_dialogs_test.moc"
