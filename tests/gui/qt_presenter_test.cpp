#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <functional>
#include <sstream>
#include <thread>

#include "core/support/app_settings.h"
#include "core/support/language_table.h"
#include "gui/support/c_busy_window.h"
#include "gui/support/c_error_detail.h"
#include "gui/support/c_message_box.h"
#include "gui/support/qt_presenter.h"

using ostrel::QtPresenter;
using Kind = ostrel::QtPresenter::Shown::Kind;

namespace {

// Acts once on the next modal dialog that opens (polling, since the dialog
// may open from a worker's request or inside another dialog). Ends a dialog
// that nobody acted on after a few seconds, so a test fails, not hangs.
class ModalDriver : public QObject {
 public:
  explicit ModalDriver(std::function<void(QWidget*)> act, QWidget* notThis = nullptr)
      : act_(std::move(act)), notThis_(notThis) {
    connect(&poll_, &QTimer::timeout, this, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || modal == notThis_ || !modal->isVisible()) return;
      poll_.stop();
      acted = true;
      act_(modal);
    });
    poll_.start(5);
    guard_.setSingleShot(true);
    connect(&guard_, &QTimer::timeout, this, [] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (dialog != nullptr) dialog->done(-99);
    });
    guard_.start(5000);
  }
  bool acted = false;

 private:
  std::function<void(QWidget*)> act_;
  QWidget* notThis_;
  QTimer poll_;
  QTimer guard_;
};

void click(QWidget* dialog, const char* buttonName) {
  auto* button = dialog->findChild<QPushButton*>(QString::fromLatin1(buttonName));
  QVERIFY2(button != nullptr, buttonName);
  QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace

class QtPresenterTest : public QObject {
  Q_OBJECT

 private slots:
  void unattendedAnswersWithTheDefault_data();
  void unattendedAnswersWithTheDefault();
  void unattendedUsesScriptedAnswersFirst();
  void unattendedWritesOneLinePerMessage();
  void unattendedShowsNothingAndNeverBlocks();
  void messageBoxIsTheSharedBox();
  void messageRaisedInsideAnOpenBoxGetsItsOwn();
  void workerQuestionsAreAskedOnTheGuiThread();
  void platformMessageBoxMapsTheStyle_data();
  void platformMessageBoxMapsTheStyle();
  void errorDetailShowsTheErrorDialog();
  void busyIsTheBusyWindow();
};

void QtPresenterTest::unattendedAnswersWithTheDefault_data() {
  QTest::addColumn<unsigned>("style");
  QTest::addColumn<int>("custom");
  QTest::addColumn<int>("platform");
  QTest::newRow("plain") << 0x00u << int(ostrel::kResultOk) << int(ostrel::kResultOk);
  QTest::newRow("yes/no") << 0x04u << int(ostrel::kResultYes) << int(ostrel::kResultYes);
  QTest::newRow("yes/no error") << 0x14u << int(ostrel::kResultYes) << int(ostrel::kResultYes);
  QTest::newRow("ok/cancel") << 0x01u << int(ostrel::kResultOk) << int(ostrel::kResultOk);
  QTest::newRow("information") << 0x40u << int(ostrel::kResultOk) << int(ostrel::kResultOk);
  QTest::newRow("error") << 0x10u << int(ostrel::kResultOk) << int(ostrel::kResultOk);
}

void QtPresenterTest::unattendedAnswersWithTheDefault() {
  QFETCH(unsigned, style);
  QFETCH(int, custom);
  QFETCH(int, platform);
  std::ostringstream log;
  QtPresenter presenter(nullptr, nullptr, true);
  presenter.setLogStream(&log);
  QCOMPARE(presenter.messageBox("question", style), custom);
  QCOMPARE(presenter.platformMessageBox("question", style), platform);
  const auto shown = presenter.shown();
  QCOMPARE(shown.size(), std::size_t{2});
  QVERIFY(shown[0].kind == Kind::MessageBox);
  QVERIFY(shown[1].kind == Kind::PlatformMessageBox);
  QCOMPARE(shown[0].style, style);
  QCOMPARE(shown[0].answer, custom);
  QCOMPARE(shown[1].answer, platform);
}

void QtPresenterTest::unattendedUsesScriptedAnswersFirst() {
  std::ostringstream log;
  QtPresenter presenter;
  presenter.setUnattended(true);
  presenter.setLogStream(&log);
  presenter.queueAnswer(ostrel::kResultNo);
  presenter.queueAnswer(ostrel::kResultYes);
  // The error dialog asks nothing and leaves the script alone.
  presenter.errorDetail("failed", "code 4");
  QCOMPARE(presenter.messageBox("Write another unit?", 0x04), int(ostrel::kResultNo));
  QCOMPARE(presenter.platformMessageBox("Proceed?", 0x04), int(ostrel::kResultYes));
  QCOMPARE(presenter.messageBox("Write another unit?", 0x04), int(ostrel::kResultYes));
  QCOMPARE(presenter.messageBox("Connect the next unit", 0x01), int(ostrel::kResultOk));

  const auto shown = presenter.shown();
  QCOMPARE(shown.size(), std::size_t{5});
  QVERIFY(shown[0].kind == Kind::ErrorDetail);
  QCOMPARE(shown[0].text, std::string("failed"));
  QCOMPARE(shown[0].details, std::string("code 4"));
  QCOMPARE(shown[1].answer, int(ostrel::kResultNo));
  QCOMPARE(shown[4].text, std::string("Connect the next unit"));
  presenter.clearShown();
  QVERIFY(presenter.shown().empty());
}

void QtPresenterTest::unattendedWritesOneLinePerMessage() {
  std::ostringstream log;
  QtPresenter presenter(nullptr, nullptr, true);
  presenter.setLogStream(&log);
  presenter.messageBox("Unit written.", 0x40);
  presenter.platformMessageBox("Erase flash retry", 0);
  presenter.errorDetail("Write failed\r\nPlease retry", "page 2\nblock 5");
  QCOMPARE(log.str(), std::string("[message] Unit written.\n"
                                  "[message] Erase flash retry\n"
                                  "[error] Write failed\\nPlease retry | page 2\\nblock 5\n"));
  // The list keeps the texts as given.
  QCOMPARE(presenter.shown()[2].text, std::string("Write failed\r\nPlease retry"));
}

void QtPresenterTest::unattendedShowsNothingAndNeverBlocks() {
  std::ostringstream log;
  QtPresenter presenter(nullptr, nullptr, true);
  presenter.setLogStream(&log);
  std::atomic<int> answer{0};
  // From a worker while the GUI thread waits without an event loop: a
  // presenter that went to the GUI thread would dead-lock here.
  std::thread worker([&] {
    answer = presenter.messageBox("from a worker", 0x04);
    presenter.errorDetail("worker error", "details");
  });
  worker.join();
  QCOMPARE(answer.load(), int(ostrel::kResultYes));
  presenter.messageBox("plain", 0);
  presenter.showBusy("Reading");
  QVERIFY(!presenter.messageBoxDialog().isVisible());
  QVERIFY(!presenter.errorDialog().isVisible());
  QVERIFY(!presenter.busyWindow().isVisible());
  QCOMPARE(presenter.busyWindow().message(), QStringLiteral("Reading"));
  QCOMPARE(presenter.shown().size(), std::size_t{3});
}

void QtPresenterTest::messageBoxIsTheSharedBox() {
  QtPresenter presenter;
  presenter.setProductName(QStringLiteral("Level Setup"));
  QString title;
  QString text;
  ModalDriver driver([&](QWidget* dialog) {
    QCOMPARE(dialog, static_cast<QWidget*>(&presenter.messageBoxDialog()));
    title = dialog->windowTitle();
    text = presenter.messageBoxDialog().textLabel()->text();
    click(dialog, "IDC_NO");
  });
  QCOMPARE(presenter.messageBox("Keep the changes?", 0x04), int(ostrel::kResultNo));
  QVERIFY(driver.acted);
  QCOMPARE(title, QStringLiteral("Level Setup"));
  QCOMPARE(text, QStringLiteral("Keep the changes?"));
  QVERIFY(presenter.shown().empty());  // only unattended runs keep a list
}

void QtPresenterTest::messageRaisedInsideAnOpenBoxGetsItsOwn() {
  QtPresenter presenter;
  presenter.setProductName(QStringLiteral("Level Setup"));
  int inner = 0;
  QString innerTitle;
  ModalDriver outer([&](QWidget* dialog) {
    ModalDriver nested(
        [&](QWidget* second) {
          innerTitle = second->windowTitle();
          click(second, "IDC_OK");
        },
        dialog);
    inner = presenter.messageBox("inner", 0);
    QVERIFY(nested.acted);
    click(dialog, "IDC_YES");
  });
  QCOMPARE(presenter.messageBox("outer", 0x04), int(ostrel::kResultYes));
  QCOMPARE(inner, int(ostrel::kResultOk));
  QCOMPARE(innerTitle, QStringLiteral("Level Setup"));
}

void QtPresenterTest::workerQuestionsAreAskedOnTheGuiThread() {
  QtPresenter presenter;
  std::atomic<int> answer{0};
  std::atomic<bool> done{false};
  QThread* dialogThread = nullptr;
  ModalDriver driver([&](QWidget* dialog) {
    dialogThread = QThread::currentThread();
    click(dialog, "IDC_YES");
  });
  std::thread worker([&] {
    answer = presenter.messageBox("Update the firmware?", 0x04);
    done = true;
  });
  QTRY_VERIFY(done.load());
  worker.join();
  QCOMPARE(answer.load(), int(ostrel::kResultYes));
  QCOMPARE(dialogThread, qApp->thread());
}

void QtPresenterTest::platformMessageBoxMapsTheStyle_data() {
  QTest::addColumn<unsigned>("style");
  QTest::addColumn<int>("icon");
  QTest::addColumn<int>("buttons");
  QTest::addColumn<int>("press");
  QTest::addColumn<int>("result");
  const int yesNo = QMessageBox::Yes | QMessageBox::No;
  const int okCancel = QMessageBox::Ok | QMessageBox::Cancel;
  QTest::newRow("plain") << 0x00u << int(QMessageBox::NoIcon) << int(QMessageBox::Ok)
                         << int(QMessageBox::Ok) << int(ostrel::kResultOk);
  QTest::newRow("yes/no, Yes") << 0x04u << int(QMessageBox::NoIcon) << yesNo
                               << int(QMessageBox::Yes) << int(ostrel::kResultYes);
  QTest::newRow("yes/no question, No") << 0x24u << int(QMessageBox::Question) << yesNo
                                       << int(QMessageBox::No) << int(ostrel::kResultNo);
  QTest::newRow("ok/cancel, Cancel") << 0x01u << int(QMessageBox::NoIcon) << okCancel
                                     << int(QMessageBox::Cancel) << int(ostrel::kResultCancel);
  QTest::newRow("error") << 0x10u << int(QMessageBox::Critical) << int(QMessageBox::Ok)
                         << int(QMessageBox::Ok) << int(ostrel::kResultOk);
  QTest::newRow("warning") << 0x30u << int(QMessageBox::Warning) << int(QMessageBox::Ok)
                           << int(QMessageBox::Ok) << int(ostrel::kResultOk);
  QTest::newRow("information") << 0x40u << int(QMessageBox::Information) << int(QMessageBox::Ok)
                               << int(QMessageBox::Ok) << int(ostrel::kResultOk);
}

void QtPresenterTest::platformMessageBoxMapsTheStyle() {
  QFETCH(unsigned, style);
  QFETCH(int, icon);
  QFETCH(int, buttons);
  QFETCH(int, press);
  QFETCH(int, result);
  QApplication::setApplicationDisplayName(QStringLiteral("ostrel test"));
  QtPresenter presenter;
  ModalDriver driver([&](QWidget* dialog) {
    auto* box = qobject_cast<QMessageBox*>(dialog);
    QVERIFY(box != nullptr);
    QCOMPARE(box->windowTitle(), QStringLiteral("ostrel test"));
    QCOMPARE(box->text(), QStringLiteral("Only one instance"));
    QCOMPARE(int(box->icon()), icon);
    QCOMPARE(int(box->standardButtons()), buttons);
    QTest::mouseClick(box->button(static_cast<QMessageBox::StandardButton>(press)), Qt::LeftButton);
  });
  QCOMPARE(presenter.platformMessageBox("Only one instance", style), result);
  QVERIFY(driver.acted);
}

void QtPresenterTest::errorDetailShowsTheErrorDialog() {
  QtPresenter presenter;
  QString message;
  QString details;
  ModalDriver driver([&](QWidget* dialog) {
    QCOMPARE(dialog, static_cast<QWidget*>(&presenter.errorDialog()));
    message = presenter.errorDialog().messageArea()->text();
    details = presenter.errorDialog().detailsArea()->toPlainText();
    click(dialog, "IDOK");
  });
  presenter.errorDetail("Verification failed", "page 1 block 3");
  QVERIFY(driver.acted);
  QCOMPARE(message, QStringLiteral("Verification failed"));
  QCOMPARE(details, QStringLiteral("page 1 block 3"));
}

void QtPresenterTest::busyIsTheBusyWindow() {
  QtPresenter presenter;
  ostrel::ProgressSink& sink = presenter.busy();
  QCOMPARE(dynamic_cast<ostrel::CBusyWindow*>(&sink), &presenter.busyWindow());
  presenter.showBusy("Reading the unit");
  QVERIFY(presenter.busyWindow().isVisible());
  QCOMPARE(presenter.busyWindow().progress(), 0);
  sink.setProgress(40);
  QCOMPARE(presenter.busyWindow().progress(), 40);
  presenter.hideBusy();
  QVERIFY(!presenter.busyWindow().isVisible());
}

QTEST_MAIN(QtPresenterTest)
#include "qt_presenter_test.moc"
