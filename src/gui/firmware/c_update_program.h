#pragma once
// The update page: firmware updates from the program files that fit the
// unit. A view over UpdatePageModel. The programming worker runs on a thread
// of its own; its progress, messages and result reach the page through the
// page's mailbox on the GUI thread, and the page cannot be left (nor the main
// form closed) until the run has ended.

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "core/config/unit_configuration.h"
#include "core/firmware/update_page_model.h"
#include "gui/support/c_property_page.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace ostrel {

class CProgramTarget;
class CSelectProgram;
class ForwardingPresenter;
class GuiMailbox;

class CUpdateProgram : public CPropertyPage, public UpdatePageView {
  Q_OBJECT

 public:
  // The page's help topic (the sheet's Help button, a right click beside
  // the update controls), and that of the update controls themselves.
  static constexpr const char* kHelpTopic = "UPDATE_PROGRAM.htm";
  static constexpr const char* kSensorHelpTopic = "UPDATE_SENSOR.htm";

  explicit CUpdateProgram(PageServices services, QWidget* parent = nullptr);
  ~CUpdateProgram() override;

  // Offered when a unit connects: true when the user accepted an update
  // and chose a program file, so the main form opens on this page.
  bool OfferUpdate(UnitConfiguration& unit);

  void OnSetActive() override;
  bool OnKillActive() override;

  // UpdatePageView
  void changed(UpdatePart part) override;

  // How the select dialog is run: by default modally, and not at all in an
  // unattended run (nothing is chosen). Returns the dialog's result.
  using SelectRunner = std::function<int(CSelectProgram&)>;
  static void setSelectRunner(SelectRunner runner);

  const UpdatePageModel& model() const { return *model_; }
  QGroupBox* updateBox() const { return box_; }
  QLineEdit* pathField() const { return path_; }
  QPushButton* selectButton() const { return select_; }
  QPushButton* updateButton() const { return update_; }
  QProgressBar* progressBar() const { return progress_; }
  QLabel* statusLine() const { return status_; }

 signals:
  // A run has ended and the page has taken its result.
  void runFinished(int result);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void applyCaptions();
  UpdatePageUnit unitNow() const;
  int runSelect(const ProgramChoice& choice);
  void onSelectProgram();
  void onUpdateSensor();
  void start(const UpdatePageModel::Run& run);
  void finished(int result);
  void showHelpFor(const QWidget* widget);

  std::unique_ptr<GuiMailbox> mailbox_;
  std::unique_ptr<ForwardingPresenter> workerPresenter_;
  std::unique_ptr<UpdatePageModel> model_;
  std::unique_ptr<CProgramTarget> target_;
  std::thread worker_;
  std::atomic<bool> workerActive_{false};
  bool closing_ = false;  // the page is going: the worker's posts are dropped

  QGroupBox* box_;
  QLabel* fileLabel_;
  QLineEdit* path_;
  QPushButton* select_;
  QPushButton* update_;
  QProgressBar* progress_;
  QLabel* status_;
};

}  // namespace ostrel
