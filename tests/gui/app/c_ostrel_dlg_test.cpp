#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/session/app_context.h"
#include "gui/app/c_ostrel_dlg.h"
#include "gui/support/qt_presenter.h"

using ostrel::COstrelDlg;
using ostrel::QtPresenter;
using ostrel::StartupOptions;
namespace fs = std::filesystem;

namespace {

void write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The shipped Models folder copied into a fresh data root.
void seedModels(const fs::path& root) {
  fs::create_directories(root / "Models");
  fs::copy(fs::path(OSTREL_SOURCE_DATA_DIR) / "Models", root / "Models",
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

// A tool process of its own: offscreen, with its lock and settings in dir.
QProcessEnvironment toolEnvironment(const QTemporaryDir& dir) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_RUNTIME_DIR", dir.path());
  env.insert("XDG_CONFIG_HOME", dir.path() + "/config");
  env.insert("QT_QPA_PLATFORM", "offscreen");
  return env;
}

}  // namespace

class COstrelDlgTest : public QObject {
  Q_OBJECT

 private:
  StartupOptions options(const QTemporaryDir& dir) {
    StartupOptions o;
    o.dataDir = fs::path(dir.path().toStdString()) / "data";
    o.configRoot = fs::path(dir.path().toStdString()) / "config";
    o.unattended = true;
    return o;
  }

 private slots:
  void startupWindowIsCaptionedFromTheLanguageFile() {
    QTemporaryDir dir;
    COstrelDlg dlg(options(dir));
    QVERIFY(dlg.initialise());
    QCOMPARE(dlg.windowTitle(), QString("Ostrel 5.0.0"));
    QCOMPARE(dlg.statusGroup()->title(), QString("Status"));
    QCOMPARE(dlg.startupGroup()->title(), QString("Startup"));
    QCOMPARE(dlg.sampleButton()->text(), QString("Sample Program"));
    QCOMPARE(dlg.retryButton()->text(), QString("Try Again"));
    QVERIFY(!dlg.sampleButton()->isEnabled());
    QVERIFY(!dlg.retryButton()->isEnabled());
    QVERIFY(!dlg.troubleshootLink()->isVisibleTo(&dlg));
    QCOMPARE(dlg.progressBar()->minimum(), 0);
    QCOMPARE(dlg.progressBar()->maximum(), 100);
    QCOMPARE(dlg.progressBar()->value(), 0);
    QVERIFY(dlg.captionLabel()->text().isEmpty());
    QVERIFY(dlg.windowFlags().testFlag(Qt::Tool));
    QVERIFY(dlg.presenter().shown().empty());

    const std::string log = read(fs::path(dir.path().toStdString()) / "data/Logs/logfile.txt");
    QVERIFY2(log.find(" BRIMLET->Version 5.0.0 Started\r\n") != std::string::npos, log.c_str());
  }

  void secondLanguageColumnCaptionsTheWindowInChinese() {
    QTemporaryDir dir;
    const fs::path root = fs::path(dir.path().toStdString()) / "data";
    seedModels(root);
    std::string model = read(root / "Models/Corporate_Model.txt");
    const auto pos = model.find("LANGUAGE_NUMBER = 0");
    QVERIFY(pos != std::string::npos);
    model.replace(pos, 19, "LANGUAGE_NUMBER = 1");
    write(root / "Models/Corporate_Model.txt", model);

    COstrelDlg dlg(options(dir));
    QVERIFY(dlg.initialise());
    QCOMPARE(dlg.retryButton()->text(), QString::fromUtf8("\xE9\x87\x8D\xE8\xAF\x95"));
    QVERIFY(dlg.statusGroup()->title() != QString("Status"));
  }

  void missingCaptionKeyRepeatsThePreviousText() {
    QTemporaryDir dir;
    const fs::path root = fs::path(dir.path().toStdString()) / "data";
    seedModels(root);
    write(root / "Models/Ostrel_Language.txt",
          "IDC_FRAME_STATUS = Link\r\nIDC_FRAME_STARTUP = Begin\r\nIDC_RESTART = Retry\r\n");
    COstrelDlg dlg(options(dir));
    QVERIFY(dlg.initialise());
    QCOMPARE(dlg.statusGroup()->title(), QString("Link"));
    QCOMPARE(dlg.sampleButton()->text(), QString("Begin"));
    QCOMPARE(dlg.retryButton()->text(), QString("Retry"));
  }

  void missingProductFamilyFileEndsBeforeSettingsAreRead() {
    QTemporaryDir dir;
    const fs::path root = fs::path(dir.path().toStdString()) / "data";
    fs::create_directories(root / "Models");
    COstrelDlg dlg(options(dir));
    QVERIFY(!dlg.initialise());
    QCOMPARE(dlg.exitCode(), COstrelDlg::kExitStartFailed);
    const auto shown = dlg.presenter().shown();
    QCOMPARE(shown.size(), std::size_t{1});
    QCOMPARE(shown[0].kind, QtPresenter::Shown::Kind::PlatformMessageBox);
    QCOMPARE(shown[0].text, std::string("Corporate model file not found!\nUpdate to the latest "
                                        "software version.\nApplication will exit."));
    QVERIFY(!fs::exists(fs::path(dir.path().toStdString()) / "config"));
  }

  void unreadableSettingsShowTheErrorWithDetailsAndEnd() {
    QTemporaryDir dir;
    const fs::path root = fs::path(dir.path().toStdString()) / "data";
    seedModels(root);
    write(root / "Models/Corporate_Model.txt",
          read(root / "Models/Corporate_Model.txt") + "REGISTRY_FILE = Gone.txt\r\n");
    COstrelDlg dlg(options(dir));
    QVERIFY(!dlg.initialise());
    QCOMPARE(dlg.exitCode(), COstrelDlg::kExitStartFailed);
    const auto shown = dlg.presenter().shown();
    QVERIFY(!shown.empty());
    const auto& last = shown.back();
    QCOMPARE(last.kind, QtPresenter::Shown::Kind::ErrorDetail);
    QCOMPARE(last.text, dlg.context().format("ERROR_MESSAGE16", {1}));
    QVERIFY(last.text.find('1') != std::string::npos);
    QCOMPARE(last.details, dlg.context().text("ERROR_MESSAGE17"));
    QVERIFY(!last.details.empty());
  }

  void secondInstanceExitsWithCode1BeforeAnyWindow() {
    QTemporaryDir dir;
    const QProcessEnvironment env = toolEnvironment(dir);
    const QStringList args{"--data-dir", dir.path() + "/data"};

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(OSTREL_GUI_BINARY, args);
    QVERIFY(first.waitForStarted());
    // Wait until the first copy holds the lock (its start entry is logged after).
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(fs::path(dir.path().toStdString()) / "data/Logs"), 10000);

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(OSTREL_GUI_BINARY, args);
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 1);
    QVERIFY(second.readAllStandardError().contains("Only one application instance can be run!"));
    // The second copy never reached its startup sequence: one start entry only.
    QTRY_VERIFY_WITH_TIMEOUT(
        read(fs::path(dir.path().toStdString()) / "data/Logs/logfile.txt").find("BRIMLET") !=
            std::string::npos,
        10000);
    const std::string log = read(fs::path(dir.path().toStdString()) / "data/Logs/logfile.txt");
    QCOMPARE(log.find("BRIMLET"), log.rfind("BRIMLET"));

    first.kill();
    first.waitForFinished();
  }

  // The run a newcomer makes: offscreen, through the whole connect sequence
  // to the main form, with pictures of both windows. A unit on a serial
  // device (the simulator behind a pseudo-terminal) and the built-in
  // simulated unit take the same road.
  void unattendedRunReachesTheMainFormAndSavesItsPictures_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("overPty");
    QTest::addColumn<QString>("identity");
    QTest::newRow("built-in ultrasonic")
        << "ultrasonic" << false << "model KM30-1020, firmware KM30-U";
    QTest::newRow("pty ultrasonic") << "ultrasonic" << true << "model KM30-1020, firmware KM30-U";
    QTest::newRow("pty guided-wave")
        << "guided-wave" << true << "model KM50-2410, firmware KM50-GWR";
    QTest::newRow("pty u-type") << "u-type" << true << "model KM40-1130, firmware KM40-U2";
    QTest::newRow("pty pulse-radar")
        << "pulse-radar" << true << "model KM70-2610, firmware NXRadar";
  }
  void unattendedRunReachesTheMainFormAndSavesItsPictures() {
    QFETCH(QString, kind);
    QFETCH(bool, overPty);
    QFETCH(QString, identity);
    QTemporaryDir dir;
    const QProcessEnvironment env = toolEnvironment(dir);
    QStringList args{"--data-dir", dir.path() + "/data", "--screenshots", dir.path() + "/shots"};

    QProcess unitsim;
    if (overPty) {
      unitsim.start(OSTREL_UNITSIM_BINARY, {"--kind", kind});
      QVERIFY(unitsim.waitForStarted());
      QTRY_VERIFY_WITH_TIMEOUT(unitsim.canReadLine(), 5000);
      args << "--port" << QString::fromUtf8(unitsim.readLine()).trimmed();
    } else {
      args << "--simulate" << kind;
    }
    QProcess tool;
    tool.setProcessEnvironment(env);
    tool.start(OSTREL_GUI_BINARY, args);
    QVERIFY(tool.waitForFinished(30000));
    const QString out = QString::fromUtf8(tool.readAllStandardOutput());
    QCOMPARE(tool.exitCode(), 0);
    QVERIFY2(out.contains("Unit: " + identity), qPrintable(out));
    for (const char* name : {"startup.png", "mainform.png"}) {
      const QString file = dir.path() + "/shots/" + name;
      QVERIFY2(out.contains(file), qPrintable(out));
      QVERIFY(QImage(file).width() > 100);
    }
    unitsim.kill();
    unitsim.waitForFinished();
  }

  void unattendedRunWithoutAUnitSaysWhyAndEnds() {
    QTemporaryDir dir;
    const QProcessEnvironment env = toolEnvironment(dir);
    QProcess tool;
    tool.setProcessEnvironment(env);
    // A serial device with nothing on it.
    tool.start(OSTREL_GUI_BINARY, {"--data-dir", dir.path() + "/data", "--screenshots",
                                   dir.path() + "/shots", "--port", "/dev/null"});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 3);
    const QString out = QString::fromUtf8(tool.readAllStandardOutput());
    QVERIFY2(out.contains("No main form: "), qPrintable(out));
    QVERIFY(QFile::exists(dir.path() + "/shots/startup.png"));
  }

  void missingProductFamilyFileEndsTheProcessAfterItsMessage() {
    QTemporaryDir dir;
    fs::create_directories(fs::path(dir.path().toStdString()) / "data/Models");
    const QProcessEnvironment env = toolEnvironment(dir);
    QProcess run;
    run.setProcessEnvironment(env);
    run.start(OSTREL_GUI_BINARY, {"--data-dir", dir.path() + "/data"});
    QVERIFY(run.waitForFinished(10000));
    QCOMPARE(run.exitCode(), 1);
    QVERIFY(run.readAllStandardError().contains("Corporate model file not found!"));
  }
};

QTEST_MAIN(COstrelDlgTest)
#include "c_ostrel_dlg_test.moc"
