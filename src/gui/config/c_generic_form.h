#pragma once
// The configuration page: the unit's configuration as its model file
// describes it, and the buttons that save, load and write it. It opens first
// in the main form.
//
// The page is a view over ConfigPageModel: user actions go to the model,
// and the model says which part of its state changed; no rule of the page is
// decided here.

#include <QComboBox>
#include <array>
#include <memory>

#include "core/config/config_page_model.h"
#include "core/config/main_form_pages.h"
#include "core/net/tech_support.h"
#include "core/service/service_steps.h"
#include "gui/support/c_property_page.h"

class QDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ostrel {

class CLevelPicture;
class CStructureForm;

// An item list that widens itself (offers every choice still compatible
// with the other items) when it is dropped down.
class ItemCombo final : public QComboBox {
  Q_OBJECT

 public:
  using QComboBox::QComboBox;
  std::function<void()> beforePopup;
  std::function<void()> afterPopup;
  void showPopup() override;
  void hidePopup() override;
};

class CGenericForm : public CPropertyPage, public ConfigPageView {
  Q_OBJECT

 public:
  explicit CGenericForm(PageServices services, QWidget* parent = nullptr);
  ~CGenericForm() override;

  void OnSetActive() override;
  bool OnKillActive() override;

  ConfigPageModel& model() { return *model_; }

  // The controls, for tests and the help table.
  ItemCombo* itemList(int item) const { return items_[static_cast<std::size_t>(item)]; }
  QLabel* itemCaption(int item) const { return itemCaptions_[static_cast<std::size_t>(item)]; }
  QLineEdit* levelBox(int level) const { return levelBoxes_[static_cast<std::size_t>(level)]; }
  QLabel* levelCaption(int level) const { return levelCaptions_[static_cast<std::size_t>(level)]; }
  QLabel* statusLine() const { return status_; }
  QLineEdit* sensorHeightBox() const { return sensor_; }
  QLineEdit* fillHeightBox() const { return fill_; }
  QLineEdit* fileNameBox() const { return fileName_; }
  QComboBox* unitsList() const { return units_; }
  QPushButton* writeButton() const { return write_; }
  QPushButton* saveButton() const { return save_; }
  QPushButton* wiringButton() const { return wiring_; }
  QPushButton* openButton() const { return open_; }
  QPushButton* printButton() const { return print_; }
  QLabel* capacityLine() const { return capacity_; }
  QComboBox* modelList() const { return modelList_; }
  CLevelPicture* picture() const { return picture_; }
  QLabel* pictureCaption() const { return pictureCaption_; }

  // Stand-ins for the file dialogs (tests): the file to open, and the name
  // the save dialog returns (empty: cancelled). Unset: the real dialogs.
  std::function<QString()> chooseOpenFile;
  std::function<QString(const QString& proposed)> chooseSaveName;

  // The main form's pages that come and go with the model's kind (unset:
  // the page stands alone, as in tests).
  std::function<MainFormPages()> presentPages;
  std::function<void(const MainFormPages&)> showPages;
  // The startup window: the activation's texts and progress go to it, and
  // it is hidden once the page stands.
  void setActivationWindow(ProgressSink* progress, std::function<void()> done);

  QWidget* loopCurrentPanel() const { return loopPanel_; }
  QLineEdit* loopCurrentBox(int row) const { return loopBoxes_[static_cast<std::size_t>(row)]; }
  QFrame* advancedFrame() const { return advancedFrame_; }
  QFrame* tanksFrame() const { return tanksFrame_; }
  QPushButton* viewTanksButton() const { return viewTanks_; }
  QLabel* serviceCounter() const { return testCounter_; }
  QLineEdit* deadBandBox() const { return deadBand_; }
  QLineEdit* probeLengthBox() const { return probe_; }

  // Runs each dialog the page opens (tests drive them here and answer
  // true for OK); unset: the dialog runs modally.
  std::function<bool(QDialog&)> runDialog;

  // What Write to Unit last ended with (for tests and the offscreen run).
  const std::optional<WriteOutcome>& lastWrite() const { return lastWrite_; }

 protected:
  void changed(PagePart part) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void buildControls();
  void installContextHelp();
  void refreshItems();
  void refreshLevels();
  void refreshBoxes();
  void refreshUnits();
  void refreshButtons();
  void refreshIdentityLines();
  void refreshLayout();
  void refreshPicture();
  void refreshMarkers();
  void refreshFrames();
  void refreshLoopCurrent();
  void applyPagesByKind();
  void refreshModelList();
  void afterModelChange();
  void viewTanks();
  void showPictureError(const QString& path);
  void openFile();
  void saveFile();
  void writeToUnit();
  void openAdvanced();
  void openRelaySetPoints();
  void openTanks();
  void runTanksForm(CStructureForm& form);
  void notYet();
  void runRequest(ConfigPageModel::Request request);
  // A dialog of the page run (by runDialog when set), as wide as its title.
  bool runPageDialog(QDialog& dialog);
  // A box the user left: false when its text was refused (focus goes back).
  bool boxLeft(QObject* box);
  void fitListsToEntries();
  // The service commands' dialogs and the unit steps around them.
  void openCalPages();
  void openDirectEntry();
  void openInfoMemory();
  void openTechSupport();
  // A service step on the device worker behind the busy window, then what
  // its failure shows; false when it failed or could not run.
  bool runServiceStep(const std::function<ServiceStep()>& step);

  std::unique_ptr<ConfigPageModel> model_;
  bool refreshing_ = false;  // the model is redrawing: widget signals are not user actions

  QLabel* logo_ = nullptr;
  QString logoFile_;
  QLabel* description_ = nullptr;
  QGroupBox* configGroup_ = nullptr;
  std::array<QLabel*, UnitConfiguration::kConfigItems> itemCaptions_{};
  std::array<ItemCombo*, UnitConfiguration::kConfigItems> items_{};
  QLabel* status_ = nullptr;
  QGroupBox* modelGroup_ = nullptr;
  QComboBox* modelList_ = nullptr;
  QGroupBox* levelsGroup_ = nullptr;
  std::array<QLabel*, UnitConfiguration::kLevels> levelCaptions_{};
  std::array<QLineEdit*, UnitConfiguration::kLevels> levelBoxes_{};
  QLabel* unitsCaption_ = nullptr;
  QComboBox* units_ = nullptr;
  QLineEdit* heightUnitsBox_ = nullptr;
  QLabel* relayUnitsCaption_ = nullptr;
  QLineEdit* relayUnitsBox_ = nullptr;
  QLabel* sensorCaption_ = nullptr;
  QLineEdit* sensor_ = nullptr;
  QLabel* fillCaption_ = nullptr;
  QLineEdit* fill_ = nullptr;
  QLabel* probeCaption_ = nullptr;
  QLineEdit* probe_ = nullptr;
  QLabel* minFillCaption_ = nullptr;
  QLineEdit* minFill_ = nullptr;
  QLabel* deadBandCaption_ = nullptr;
  QLineEdit* deadBand_ = nullptr;
  QLabel* maxRangeCaption_ = nullptr;
  QLineEdit* maxRange_ = nullptr;
  QLabel* capacity_ = nullptr;
  QWidget* loopPanel_ = nullptr;
  std::array<QLineEdit*, 4> loopBoxes_{};  // min/max volume, min/max current
  QFrame* advancedFrame_ = nullptr;
  QFrame* tanksFrame_ = nullptr;
  QPushButton* viewTanks_ = nullptr;
  std::function<void()> activationDone_;
  QLabel* pictureCaption_ = nullptr;
  CLevelPicture* picture_ = nullptr;
  QString pictureFile_;  // the picture shown; a failed load keeps it
  QString failedPicture_;  // a picture that could not be read: reported once
  QLabel* notesCaption_ = nullptr;
  QPushButton* write_ = nullptr;
  QPushButton* wiring_ = nullptr;
  QPushButton* advanced_ = nullptr;
  QPushButton* relaySetPoints_ = nullptr;
  QPushButton* tanks_ = nullptr;
  QPushButton* factory_ = nullptr;
  QPushButton* clear_ = nullptr;
  QLabel* fileCaption_ = nullptr;
  QLineEdit* fileName_ = nullptr;
  QLabel* fileDate_ = nullptr;
  QPushButton* open_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* print_ = nullptr;
  QPlainTextEdit* notes_ = nullptr;
  QPushButton* testConfigs_ = nullptr;
  QLabel* testCounter_ = nullptr;
  std::optional<WriteOutcome> lastWrite_;
  bool refusing_ = false;  // a refused box's message is up
  // The tech-support dialog's server, name, phone and address, for the run.
  TechSupportFields supportContact_;
};

}  // namespace ostrel
