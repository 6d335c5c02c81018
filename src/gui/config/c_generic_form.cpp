#include "gui/config/c_generic_form.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QPixmap>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <QVBoxLayout>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "core/config/production_record.h"
#include "core/session/app_context.h"
#include "core/session/startup_sequence.h"
#include "core/support/text_format.h"
#include "core/volume/structure_file.h"
#include "gui/config/c_advanced_form.h"
#include "gui/config/c_advanced_pulse.h"
#include "gui/config/c_indy_relays.h"
#include "gui/config/c_level_picture.h"
#include "gui/config/config_print.h"
#include "gui/config/page_sizing.h"
#include "gui/service/c_cal_pages.h"
#include "gui/service/c_direct_entry.h"
#include "gui/service/c_info_memory.h"
#include "gui/service/c_tech_support.h"
#include "gui/support/c_help_browser.h"
#include "gui/support/context_help.h"
#include "gui/support/device_work.h"
#include "gui/support/document_opener.h"
#include "gui/support/qt_presenter.h"
#include "gui/volume/c_dimension_form.h"
#include "gui/volume/c_formula_entry_dlg.h"
#include "gui/volume/c_non_linear2.h"
#include "gui/volume/c_strapping_dlg.h"
#include "gui/volume/volume_form_services.h"

namespace ostrel {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// Sets a line edit's text without moving the cursor of one being typed in.
void setBoxText(QLineEdit* box, const std::string& text) {
  const QString t = qs(text);
  if (box->text() != t) box->setText(t);
}

// The marker colour of the page, also the capacity line's.
constexpr const char* kMarkerStyle = "color: rgb(76,115,138);";

}  // namespace

void ItemCombo::showPopup() {
  if (beforePopup) beforePopup();
  QComboBox::showPopup();
}

void ItemCombo::hidePopup() {
  QComboBox::hidePopup();
  if (afterPopup) afterPopup();
}

CGenericForm::CGenericForm(PageServices services, QWidget* parent)
    : CPropertyPage("IDD_GENERICFORM", "Configuration", services, parent) {
  AppContext& ctx = context();
  ConfigPageServices s;
  s.records = &ctx;
  s.presenter = &presenter();
  s.log = &ctx.Log;
  s.settings = &ctx.Settings;
  if (!services.stubbed) {
    s.memory = ctx.Memory.get();
    s.link = ctx.Link.get();
  }
  s.pulse = &ctx.Pulse;
  s.configsFolder = ctx.Folders.Configs;
  s.drawingsFolder = ctx.Folders.Drawings;
  s.modelsFolder = ctx.Folders.Models;
  s.productionRecord = ctx.Folders.Logs / kProductionRecordName;
  const bool unattended = presenter().unattended();
  s.openDocument = [unattended](const std::filesystem::path& path) {
    return openDocument(path, unattended);
  };
  s.toolVersion = VersionNumbers::parse(ctx.Values.Version).Parts;
  s.loadModel = [&ctx](const std::string& modelNumber) {
    return StartupSequence(ctx).LoadSampleModel(modelNumber);
  };
  model_ = std::make_unique<ConfigPageModel>(ctx.Unit, s);
  model_->setSampleMode(services.stubbed);
  model_->setView(this);
  buildControls();
}

CGenericForm::~CGenericForm() {
  model_->setView(nullptr);
  // The lists close their pop-ups while the widgets go, after the model.
  for (ItemCombo* list : items_) {
    list->beforePopup = nullptr;
    list->afterPopup = nullptr;
  }
}

void CGenericForm::buildControls() {
  QVBoxLayout* page = pageLayout();
  // This page fills its height itself: the base page's closing stretch goes.
  if (page->count() > 0 && page->itemAt(page->count() - 1)->spacerItem() != nullptr) {
    delete page->takeAt(page->count() - 1);
  }
  logo_ = new QLabel(this);
  logo_->setObjectName("IDC_LOGO");
  description_ = new QLabel(this);
  description_->setWordWrap(true);
  auto* top = new QHBoxLayout;
  top->addWidget(description_, 1);
  top->addWidget(logo_, 0, Qt::AlignRight | Qt::AlignVCenter);
  page->addLayout(top);

  auto* columns = new QHBoxLayout;
  page->addLayout(columns);

  // The configuration items and the status line.
  configGroup_ = new QGroupBox(text("IDC_CONFIGWINDOW", "Configuration"), this);
  auto* itemsGrid = new QGridLayout(configGroup_);
  for (int i = 0; i < UnitConfiguration::kConfigItems; ++i) {
    auto* caption = new QLabel(configGroup_);
    auto* list = new ItemCombo(configGroup_);
    list->setObjectName(QString("IDC_ITEM%1").arg(i));
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(24);
    itemsGrid->addWidget(caption, i, 0);
    itemsGrid->addWidget(list, i, 1);
    itemCaptions_[static_cast<std::size_t>(i)] = caption;
    items_[static_cast<std::size_t>(i)] = list;
    list->beforePopup = [this, i] {
      if (!refreshing_) model_->widenList(i);
    };
    list->afterPopup = [this, i] {
      if (!refreshing_) model_->listClosed(i);
    };
    connect(list, &QComboBox::activated, this, [this, i](int row) {
      if (refreshing_) return;
      const auto& offered = model_->items()[static_cast<std::size_t>(i)].offered;
      if (row >= 0 && row < static_cast<int>(offered.size())) {
        model_->selectItem(i, offered[static_cast<std::size_t>(row)]);
      }
    });
  }
  status_ = new QLabel(configGroup_);
  status_->setObjectName("IDC_CFGSTATUS");
  status_->setWordWrap(true);
  itemsGrid->addWidget(status_, UnitConfiguration::kConfigItems, 0, 1, 2);
  // Sample mode: the model whose pages are shown.
  modelGroup_ = new QGroupBox(text("IDC_MNLABEL", "Model Number"), this);
  auto* modelRow = new QHBoxLayout(modelGroup_);
  modelList_ = new QComboBox(modelGroup_);
  modelList_->setObjectName("IDC_MODELNUMBER");
  modelRow->addWidget(modelList_, 1);
  modelGroup_->hide();
  connect(modelList_, &QComboBox::activated, this, [this](int index) {
    if (refreshing_ || index < 0) return;
    model_->chooseModel(modelList_->itemText(index).toStdString());
  });
  auto* left = new QVBoxLayout;
  left->addWidget(configGroup_, 1);
  left->addWidget(modelGroup_);
  columns->addLayout(left, 3);

  // Levels, heights and units, beside the level picture.
  levelsGroup_ = new QGroupBox(text("IDC_TANKWINDOW", "Levels"), this);
  auto* levelsRow = new QHBoxLayout(levelsGroup_);
  auto* levels = new QGridLayout;
  levelsRow->addLayout(levels);
  // Between the boxes and the picture: the loop-current panel of guided-wave
  // radar (volume relay units) or the pulse radar's dead band and range.
  auto* kindColumn = new QVBoxLayout;
  levelsRow->addLayout(kindColumn);
  loopPanel_ = new QWidget(levelsGroup_);
  loopPanel_->setObjectName("IDC_GWROFFSETGROUPBOX");
  auto* loopGrid = new QGridLayout(loopPanel_);
  loopGrid->setContentsMargins(0, 0, 0, 0);
  const std::array<std::pair<const char*, const char*>, 4> loopCaptions = {{
      {"IDC_GWRMINVOLUME_LABEL", "Min Volume"},
      {"IDC_GWRMAXVOLUME_LABEL", "Max Volume"},
      {"IDC_GWRMINCURRENT_LABEL", "Min Current"},
      {"IDC_GWRMAXCURRENT_LABEL", "Max Current"},
  }};
  for (std::size_t k = 0; k < loopCaptions.size(); ++k) {
    auto* box = new QLineEdit(loopPanel_);
    box->setObjectName(loopCaptions[k].first);
    box->setReadOnly(true);
    box->setMaximumWidth(fontMetrics().averageCharWidth() * 12);
    loopGrid->addWidget(new QLabel(text(loopCaptions[k].first, loopCaptions[k].second), loopPanel_),
                        static_cast<int>(k) * 2, 0);
    loopGrid->addWidget(box, static_cast<int>(k) * 2 + 1, 0);
    loopBoxes_[k] = box;
  }
  loopPanel_->hide();
  kindColumn->addWidget(loopPanel_);
  auto columnBox = [&](QLabel*& caption, QLineEdit*& box, const char* key, const char* fallback) {
    caption = new QLabel(text(key, fallback), levelsGroup_);
    box = new QLineEdit(levelsGroup_);
    box->setObjectName(key);
    box->setMaximumWidth(fontMetrics().averageCharWidth() * 12);
    kindColumn->addWidget(caption);
    kindColumn->addWidget(box);
  };
  columnBox(deadBandCaption_, deadBand_, "IDC_DEADBAND_LABEL", "Dead Band");
  columnBox(maxRangeCaption_, maxRange_, "IDC_MAXRANGE_LABEL", "Max Range");
  kindColumn->addStretch(1);
  auto* pictureColumn = new QVBoxLayout;
  pictureCaption_ = new QLabel(levelsGroup_);
  pictureCaption_->setAlignment(Qt::AlignCenter);
  picture_ = new CLevelPicture(levelsGroup_);
  pictureColumn->addWidget(pictureCaption_);
  pictureColumn->addWidget(picture_, 1);
  levelsRow->addLayout(pictureColumn, 1);
  // Wide enough for a volume of seven digits with its decimals, or a units name.
  const int boxWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000000.00"));
  for (int row = 0; row < UnitConfiguration::kLevels; ++row) {
    const int level = UnitConfiguration::kLevels - 1 - row;  // the top row is LEVEL[5]
    auto* caption = new QLabel(levelsGroup_);
    auto* box = new QLineEdit(levelsGroup_);
    box->setObjectName(QString("IDC_LEVEL%1").arg(level));
    box->setMinimumWidth(boxWidth);
    levels->addWidget(caption, row, 0);
    levels->addWidget(box, row, 1);
    levelCaptions_[static_cast<std::size_t>(level)] = caption;
    levelBoxes_[static_cast<std::size_t>(level)] = box;
    connect(box, &QLineEdit::textEdited, this,
            [this, level](const QString& t) { model_->editLevel(level, t.toStdString()); });
  }
  int row = UnitConfiguration::kLevels;
  auto addBox = [&](QLabel*& caption, QLineEdit*& box, const char* key, const char* fallback) {
    caption = new QLabel(text(key, fallback), levelsGroup_);
    box = new QLineEdit(levelsGroup_);
    box->setObjectName(key);
    box->setMinimumWidth(boxWidth);
    levels->addWidget(caption, row, 0);
    levels->addWidget(box, row, 1);
    ++row;
  };
  unitsCaption_ = new QLabel(text("IDC_UNITLABEL", "Height Units"), levelsGroup_);
  units_ = new QComboBox(levelsGroup_);
  units_->setObjectName("IDC_UNITS");
  heightUnitsBox_ = new QLineEdit(levelsGroup_);
  heightUnitsBox_->setReadOnly(true);
  auto* unitsCell = new QHBoxLayout;
  unitsCell->addWidget(units_);
  unitsCell->addWidget(heightUnitsBox_);
  levels->addWidget(unitsCaption_, row, 0);
  levels->addLayout(unitsCell, row, 1);
  ++row;
  connect(units_, &QComboBox::activated, this, [this](int index) {
    if (!refreshing_) model_->selectUnits(index);
  });
  relayUnitsCaption_ = new QLabel(text("IDC_RELAYUNITSLABEL", "Relay Units"), levelsGroup_);
  relayUnitsBox_ = new QLineEdit(levelsGroup_);
  relayUnitsBox_->setReadOnly(true);
  relayUnitsBox_->setMinimumWidth(boxWidth);
  heightUnitsBox_->setMinimumWidth(boxWidth);
  levels->addWidget(relayUnitsCaption_, row, 0);
  levels->addWidget(relayUnitsBox_, row, 1);
  ++row;
  addBox(sensorCaption_, sensor_, "IDC_SHLABEL", "Sensor Height");
  addBox(fillCaption_, fill_, "IDC_FHLABEL", "Fill Height");
  addBox(probeCaption_, probe_, "IDC_PROBELENGTH_LABEL", "Probe Length");
  addBox(minFillCaption_, minFill_, "IDC_GWRMINFILLHEIGHT_LABEL", "Min Fill Height");
  minFill_->setReadOnly(true);
  // A box left with text that is no number is refused at once.
  for (QLineEdit* box : {sensor_, fill_, probe_, deadBand_, maxRange_}) box->installEventFilter(this);
  for (QLineEdit* box : levelBoxes_) box->installEventFilter(this);
  connect(sensor_, &QLineEdit::textEdited, this,
          [this](const QString& t) { model_->editSensorHeight(t.toStdString()); });
  connect(fill_, &QLineEdit::textEdited, this,
          [this](const QString& t) { model_->editFillHeight(t.toStdString()); });
  connect(probe_, &QLineEdit::textEdited, this,
          [this](const QString& t) { model_->editProbeLength(t.toStdString()); });
  connect(minFill_, &QLineEdit::textEdited, this, [this](const QString& t) {
    model_->editBox(&PageBoxes::minFillHeight, t.toStdString());
  });
  connect(deadBand_, &QLineEdit::textEdited, this, [this](const QString& t) {
    model_->editBox(&PageBoxes::deadBand, t.toStdString());
  });
  connect(maxRange_, &QLineEdit::textEdited, this, [this](const QString& t) {
    model_->editBox(&PageBoxes::maxRange, t.toStdString());
  });
  capacity_ = new QLabel(levelsGroup_);
  capacity_->setObjectName("IDC_CAPACITY");
  capacity_->setStyleSheet(kMarkerStyle);
  // A capacity of many digits is shortened, never widening the window.
  setElidedText(capacity_, {});
  capacity_->installEventFilter(this);
  levels->addWidget(capacity_, row, 0, 1, 2);
  columns->addWidget(levelsGroup_, 4);

  // The buttons.
  auto* buttons = new QHBoxLayout;
  page->addLayout(buttons);
  auto button = [&](const char* key, const char* fallback, QFrame** frame = nullptr) {
    auto* b = new QPushButton(text(key, fallback), this);
    b->setObjectName(key);
    if (frame == nullptr) {
      buttons->addWidget(b);
      return b;
    }
    // A frame two pixels wide around the button, coloured while lit.
    *frame = new QFrame(this);
    (*frame)->setObjectName(QString(key) + "_FRAME");
    auto* inside = new QHBoxLayout(*frame);
    inside->setContentsMargins(2, 2, 2, 2);
    inside->addWidget(b);
    buttons->addWidget(*frame);
    return b;
  };
  write_ = button("IDC_WRITETARGET", "Write to Unit");
  wiring_ = button("IDC_VIEWDRAWING", "Wiring Diagram");
  advanced_ = button("IDC_ADVANCED", "Advanced", &advancedFrame_);
  relaySetPoints_ = button("IDC_INDEPENDENTBTN", "Relay Set Points");
  tanks_ = button("IDC_TANKS", "Tanks", &tanksFrame_);
  factory_ = button("IDC_DEFAULTCFG", "Factory Config");
  clear_ = button("IDC_RESET", "Clear Screen");
  connect(write_, &QPushButton::clicked, this, &CGenericForm::writeToUnit);
  connect(wiring_, &QPushButton::clicked, this, [this] { model_->wiringDiagram(); });
  connect(advanced_, &QPushButton::clicked, this, &CGenericForm::openAdvanced);
  connect(relaySetPoints_, &QPushButton::clicked, this, &CGenericForm::openRelaySetPoints);
  connect(tanks_, &QPushButton::clicked, this, &CGenericForm::openTanks);
  connect(factory_, &QPushButton::clicked, this, [this] { model_->factoryConfig(); });
  connect(clear_, &QPushButton::clicked, this, [this] { model_->clearScreen(); });

  // The file row and the notes.
  auto* files = new QHBoxLayout;
  page->addLayout(files);
  fileCaption_ = new QLabel(text("IDC_CFLABEL", "Config File Name"), this);
  fileName_ = new QLineEdit(this);
  fileName_->setObjectName("IDC_CFGFILENAME");
  connect(fileName_, &QLineEdit::textEdited, this, [this](const QString& t) {
    model_->editBox(&PageBoxes::fileName, t.toStdString());
  });
  open_ = new QPushButton(text("IDC_OPENFILE", "Open Config File"), this);
  save_ = new QPushButton(text("IDC_SAVEFILE", "Save Config File"), this);
  print_ = new QPushButton(text("IDC_PRINTFILE", "Print Config File"), this);
  fileDate_ = new QLabel(this);
  files->addWidget(fileCaption_);
  files->addWidget(fileName_, 1);
  files->addWidget(open_);
  files->addWidget(save_);
  files->addWidget(print_);
  files->addWidget(fileDate_);
  connect(open_, &QPushButton::clicked, this, &CGenericForm::openFile);
  connect(save_, &QPushButton::clicked, this, &CGenericForm::saveFile);
  connect(print_, &QPushButton::clicked, this, [this] {
    AppContext& ctx = context();
    printConfiguration(this, *model_, ctx, ctx.Folders.Bitmaps, presenter());
  });

  auto* notesRow = new QHBoxLayout;
  page->addLayout(notesRow);
  notesCaption_ = new QLabel(text("IDC_DSLABEL", "Notes"), this);
  notesCaption_->setObjectName("IDC_DSLABEL");
  notesRow->addWidget(notesCaption_);
  notes_ = new QPlainTextEdit(this);
  notes_->setMaximumHeight(fontMetrics().lineSpacing() * 3 + 12);
  notesRow->addWidget(notes_, 1);
  connect(notes_, &QPlainTextEdit::textChanged, this, [this] {
    if (!refreshing_) model_->editBox(&PageBoxes::notes, notes_->toPlainText().toStdString());
  });

  // Service tools, hidden until asked for.
  auto* service = new QHBoxLayout;
  page->addLayout(service);
  testConfigs_ = new QPushButton("Test Configs", this);
  testConfigs_->setObjectName("IDC_TESTCONFIGS");
  viewTanks_ = new QPushButton("View Tanks", this);
  testCounter_ = new QLabel(this);
  testCounter_->setObjectName("IDC_COUNTER");
  service->addWidget(testConfigs_);
  service->addWidget(viewTanks_);
  service->addWidget(testCounter_);
  service->addStretch(1);
  connect(testConfigs_, &QPushButton::clicked, this, [this] { model_->testConfigs(); });
  connect(viewTanks_, &QPushButton::clicked, this, &CGenericForm::viewTanks);
  testConfigs_->hide();
  viewTanks_->hide();
  testCounter_->hide();
  installContextHelp();
}

// F1 and a right click open a control's help topic.
void CGenericForm::installContextHelp() {
  AppContext& ctx = context();
  CHelpBrowser::setLanguage(&ctx.Language, &ctx.Values);
  new ContextHelp(
      this, ctx.HelpTopics,
      [&ctx] { return HelpFiles{ctx.Folders.Help, ctx.Database.HelpFile, ctx.Identity.MainHelp}; },
      [this](const QWidget* w) -> std::optional<HelpControl> {
        for (int i = 0; i < UnitConfiguration::kConfigItems; ++i) {
          if (w == items_[static_cast<std::size_t>(i)]) return helpItemList(i);
          if (i < kHelpItemCaptions && w == itemCaptions_[static_cast<std::size_t>(i)]) {
            return helpItemCaption(i);
          }
        }
        for (int i = 0; i < UnitConfiguration::kLevels; ++i) {
          if (w == levelBoxes_[static_cast<std::size_t>(i)]) return helpLevelBox(i);
          if (w == levelCaptions_[static_cast<std::size_t>(i)]) return helpLevelCaption(i);
        }
        const std::pair<const QWidget*, HelpControl> controls[] = {
            {picture_, HelpControl::LevelPicture},
            {units_, HelpControl::UnitsList},
            {sensor_, HelpControl::SensorHeightBox},
            {fill_, HelpControl::FillHeightBox},
            {factory_, HelpControl::FactoryConfigButton},
            {fileName_, HelpControl::ConfigFileNameBox},
            {open_, HelpControl::OpenConfigFileButton},
            {save_, HelpControl::SaveConfigFileButton},
            {write_, HelpControl::WriteToUnitButton},
            {wiring_, HelpControl::WiringDiagramButton},
            {notes_, HelpControl::NotesBox},
            {notesCaption_, HelpControl::NotesCaption},
            {description_, HelpControl::DescriptionLine},
            {status_, HelpControl::ConfigStatusLine},
            {fileDate_, HelpControl::FileDateLine},
            {print_, HelpControl::PrintConfigFileButton},
            {clear_, HelpControl::ClearScreenButton},
            {configGroup_, HelpControl::ConfigurationGroup},
            {levelsGroup_, HelpControl::LevelsGroup},
            {unitsCaption_, HelpControl::HeightUnitsCaption},
            {sensorCaption_, HelpControl::SensorHeightCaption},
            {fillCaption_, HelpControl::FillHeightCaption},
            {relayUnitsCaption_, HelpControl::RelayUnitsCaption},
            {fileCaption_, HelpControl::ConfigFileNameCaption},
            {advanced_, HelpControl::AdvancedButton},
            {tanks_, HelpControl::TanksButton},
            {relayUnitsBox_, HelpControl::RelayUnitsBox},
            {heightUnitsBox_, HelpControl::HeightUnitsBox},
            {modelGroup_, HelpControl::ModelGroup},
            {modelList_, HelpControl::ModelList},
        };
        for (const auto& [widget, control] : controls) {
          if (w == widget) return control;
        }
        return std::nullopt;
      },
      [this](const std::string& key) {
        presenter().messageBox(context().text(key), kStyleError);
      });
}

// --- The page's life.

void CGenericForm::OnSetActive() {
  CPropertyPage::OnSetActive();
  setNotice({});
  AppContext& ctx = context();
  ctx.State.ModelCopy = ctx.Unit.model;
  if (!model_->activate()) {
    // The error was shown; the main form closes once it is running.
    if (auto* form = qobject_cast<QDialog*>(window()); form != nullptr) {
      QMetaObject::invokeMethod(form, "reject", Qt::QueuedConnection);
    }
    return;
  }
  if (activationDone_) activationDone_();
  refreshModelList();
}

// The model list of sample mode: every model of the family, the shown
// model's number chosen.
void CGenericForm::refreshModelList() {
  const AppContext& ctx = context();
  modelGroup_->setVisible(model_->sampleMode());
  if (!model_->sampleMode()) return;
  refreshing_ = true;
  modelList_->clear();
  for (const std::string& name : ctx.SampleModelNames) modelList_->addItem(qs(name));
  modelList_->setCurrentIndex(
      modelList_->findText(qs(StartupSequence::modelPrefix(model_->config().model))));
  refreshing_ = false;
}

// What another model (a sample choice, a file naming one) changes beyond
// the model's own state: the kind's controls and pictures and the main
// form's pages.
void CGenericForm::afterModelChange() {
  refreshIdentityLines();
  refreshLayout();
  refreshLoopCurrent();
  applyPagesByKind();
}

void CGenericForm::setActivationWindow(ProgressSink* progress, std::function<void()> done) {
  model_->setActivationProgress(progress);
  activationDone_ = std::move(done);
}

void CGenericForm::applyPagesByKind() {
  if (!presentPages || !showPages) return;
  const MainFormPages present = presentPages();
  const MainFormPages wanted = model_->looks().pagesByKind(present);
  if (wanted != present) showPages(wanted);
}

bool CGenericForm::OnKillActive() {
  // A write runs to its end; the page cannot be left half-way.
  if (DeviceWork::running()) return false;
  return model_->leave();
}

bool CGenericForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == capacity_ && event->type() == QEvent::Resize) {
    reElide(capacity_);
  } else if (event->type() == QEvent::FocusOut && !refusing_) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    // Another window taking the focus (a message, a pop-up) is no leaving;
    // and a click on Write to Unit or Save, which refuse such a box themselves,
    // shows the refusal once.
    QWidget* next = QApplication::focusWidget();
    const bool clickedRefusingButton =
        reason == Qt::MouseFocusReason && (next == write_ || next == save_);
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
        !clickedRefusingButton) {
      // Refused: the box has the focus back, so it never hears it left.
      if (!boxLeft(watched)) return true;
    }
  }
  return CPropertyPage::eventFilter(watched, event);
}

bool CGenericForm::boxLeft(QObject* watched) {
  // The message, and the focus going back, leave other boxes: not by the user.
  refusing_ = true;
  bool accepted = true;
  for (int i = 0; i < UnitConfiguration::kLevels && accepted; ++i) {
    if (watched == levelBoxes_[static_cast<std::size_t>(i)]) accepted = model_->leaveLevel(i);
  }
  const std::pair<QLineEdit*, std::string PageBoxes::*> boxes[] = {
      {sensor_, &PageBoxes::sensorHeight}, {fill_, &PageBoxes::fillHeight},
      {probe_, &PageBoxes::probeLength},   {deadBand_, &PageBoxes::deadBand},
      {maxRange_, &PageBoxes::maxRange},
  };
  for (const auto& [box, field] : boxes) {
    if (watched == box && accepted && box->isEnabled() && !box->isReadOnly()) {
      accepted = model_->leaveBox(field);
    }
  }
  if (!accepted) {
    // The user's text stays, selected, for correction.
    auto* box = static_cast<QLineEdit*>(watched);
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
  }
  refusing_ = false;
  return accepted;
}

void CGenericForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (fileName_->hasFocus()) {
      openFile();
    } else if (auto* b = qobject_cast<QPushButton*>(focusWidget())) {
      b->click();
    } else {
      focusNextChild();
    }
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    if (fileName_->hasFocus()) focusNextChild();
    return;
  }
  CPropertyPage::keyPressEvent(event);
}

// --- From the model.

void CGenericForm::changed(PagePart part) {
  switch (part) {
    case PagePart::Identity: refreshIdentityLines(); break;
    case PagePart::Items: refreshItems(); break;
    case PagePart::Status: status_->setText(qs(model_->statusLine())); break;
    case PagePart::Levels: refreshLevels(); break;
    case PagePart::Boxes: refreshBoxes(); break;
    case PagePart::Units: refreshUnits(); break;
    case PagePart::Buttons: refreshButtons(); break;
    case PagePart::Capacity:
      setElidedText(capacity_, qs(model_->capacityLine()));
      refreshLoopCurrent();
      refreshFrames();
      break;
    case PagePart::Service:
      testConfigs_->setVisible(model_->serviceToolsShown());
      viewTanks_->setVisible(model_->serviceToolsShown());
      testCounter_->setVisible(model_->serviceToolsShown());
      testCounter_->setText(QString::number(model_->serviceCounter()));
      break;
    case PagePart::Model: afterModelChange(); break;
  }
}

void CGenericForm::refreshIdentityLines() {
  refreshIdentity();
  description_->setText(qs(model_->config().unitDescription));
  identityLine(0)->setText(qs(model_->looks().unitLine()));
  identityLine(1)->setText(qs(model_->looks().hardwareLine()));
  identityLine(2)->setText(qs(model_->looks().softwareLine()));
}

void CGenericForm::refreshItems() {
  refreshing_ = true;
  for (int i = 0; i < UnitConfiguration::kConfigItems; ++i) {
    const ItemList& list = model_->items()[static_cast<std::size_t>(i)];
    QLabel* caption = itemCaptions_[static_cast<std::size_t>(i)];
    ItemCombo* combo = items_[static_cast<std::size_t>(i)];
    caption->setVisible(list.present);
    combo->setVisible(list.present);
    if (!list.present) continue;
    caption->setText(qs(list.caption));
    QStringList entries;
    int current = -1;
    for (std::size_t k = 0; k < list.offered.size(); ++k) {
      entries << qs(model_->choiceText(i, list.offered[k]));
      if (list.offered[k] == list.shown) current = static_cast<int>(k);
    }
    bool same = combo->count() == entries.size();
    for (int k = 0; same && k < combo->count(); ++k) same = combo->itemText(k) == entries[k];
    if (!same) {
      combo->clear();
      combo->addItems(entries);
    }
    combo->setCurrentIndex(current);
  }
  refreshing_ = false;
  fitListsToEntries();
}

// Every list as wide as the longest entry it can offer (the choices still
// compatible with the other items vary; the width does not).
void CGenericForm::fitListsToEntries() {
  for (int i = 0; i < UnitConfiguration::kConfigItems; ++i) {
    QStringList all;
    for (int c = 0;; ++c) {
      const std::string choice = model_->choiceText(i, c);
      if (choice.empty() && c > 0) break;
      all << qs(choice);
    }
    fitListToEntries(items_[static_cast<std::size_t>(i)], all);
  }
  QStringList units;
  for (const std::string& n : model_->looks().unitNames()) units << qs(n);
  fitListToEntries(units_, units);
  QStringList models;
  for (const std::string& n : context().SampleModelNames) models << qs(n);
  fitListToEntries(modelList_, models);
}

void CGenericForm::refreshLevels() {
  for (int i = 0; i < UnitConfiguration::kLevels; ++i) {
    const LevelRow& row = model_->levelRows()[static_cast<std::size_t>(i)];
    QLabel* caption = levelCaptions_[static_cast<std::size_t>(i)];
    QLineEdit* box = levelBoxes_[static_cast<std::size_t>(i)];
    caption->setText(qs(row.caption));
    caption->setVisible(row.shown);
    box->setVisible(row.shown);
    box->setEnabled(row.shown);
    setBoxText(box, row.text);
  }
  relayUnitsCaption_->setVisible(model_->relayUnitsShown());
  relayUnitsBox_->setVisible(model_->relayUnitsShown());
  refreshMarkers();
}

void CGenericForm::refreshBoxes() {
  refreshing_ = true;
  const PageBoxes& b = model_->boxes();
  setBoxText(sensor_, b.sensorHeight);
  setBoxText(fill_, b.fillHeight);
  setBoxText(probe_, b.probeLength);
  setBoxText(minFill_, b.minFillHeight);
  setBoxText(deadBand_, b.deadBand);
  setBoxText(maxRange_, b.maxRange);
  setBoxText(fileName_, b.fileName);
  fileDate_->setText(qs(b.fileDate));
  if (notes_->toPlainText() != qs(b.notes)) {
    // The notes as they will be stored; typing goes on at the end.
    notes_->setPlainText(qs(b.notes));
    notes_->moveCursor(QTextCursor::End);
  }
  refreshing_ = false;
}

void CGenericForm::refreshUnits() {
  refreshing_ = true;
  QStringList names;
  for (const std::string& n : model_->looks().unitNames()) names << qs(n);
  bool same = units_->count() == names.size();
  for (int k = 0; same && k < units_->count(); ++k) same = units_->itemText(k) == names[k];
  if (!same) {
    units_->clear();
    units_->addItems(names);
  }
  units_->setCurrentIndex(model_->unitsSelection());
  const bool length = model_->looks().relayUnitsAreLength();
  units_->setVisible(length);
  heightUnitsBox_->setVisible(!length);
  heightUnitsBox_->setText(qs(model_->looks().heightUnitsText()));
  relayUnitsBox_->setText(qs(model_->looks().relayUnitsText()));
  refreshing_ = false;
  fitListToEntries(units_, names);
  refreshLayout();
}

void CGenericForm::refreshButtons() {
  save_->setEnabled(model_->saveEnabled());
  write_->setEnabled(model_->writeEnabled() && !DeviceWork::running());
  wiring_->setEnabled(model_->wiringEnabled());
  relaySetPoints_->setVisible(model_->independentMode());
}

// The controls that depend on the model's kind.
void CGenericForm::refreshLayout() {
  const ModelDatabase& m = context().Database;
  const bool guided = m.GuidedWaveRadar != 0;
  const bool pulse = m.PulseRadar != 0;
  for (QWidget* w : {static_cast<QWidget*>(probeCaption_), static_cast<QWidget*>(probe_),
                     static_cast<QWidget*>(minFillCaption_), static_cast<QWidget*>(minFill_)}) {
    w->setVisible(guided);
  }
  for (QWidget* w : {static_cast<QWidget*>(deadBandCaption_), static_cast<QWidget*>(deadBand_),
                     static_cast<QWidget*>(maxRangeCaption_), static_cast<QWidget*>(maxRange_)}) {
    w->setVisible(pulse);
  }
  tanksFrame_->setVisible(!m.NonLinearButtonCaption.empty());
  tanks_->setText(qs(m.NonLinearButtonCaption));
  const bool heightsEditable = model_->looks().heightsEditable();
  sensor_->setEnabled(heightsEditable);
  fill_->setEnabled(heightsEditable);
  probe_->setEnabled(heightsEditable);
  refreshPicture();
  fillCaption_->setText(qs(model_->looks().fillCaption()));
}

// The model's picture, or the structure's for a shape with a curve; the
// logo above the page.
void CGenericForm::refreshPicture() {
  const AppContext& ctx = context();
  // The model's logo, else the family's.
  const std::string& logoName =
      ctx.Images.LogoImage.empty() ? ctx.Identity.LogoImage : ctx.Images.LogoImage;
  if (!logoName.empty()) {
    const QString logo = qs((ctx.Folders.Bitmaps / logoName).string());
    if (logo != logoFile_) {
      QPixmap pixmap(logo);
      if (pixmap.isNull()) {
        showPictureError(logo);
      } else {
        logo_->setPixmap(pixmap);
      }
      logoFile_ = logo;
    }
  }
  const ConfigPageLooks::LevelPicture picture = model_->looks().levelPicture();
  if (picture.keep) return;
  pictureCaption_->setText(qs(picture.caption));
  const QString path = qs((ctx.Folders.Bitmaps / picture.file).string());
  if (picture.file.empty() || path == pictureFile_) return;
  // A picture that cannot be read is reported once; the previous one stays.
  if (path == failedPicture_) return;
  if (picture_->load(path)) {
    pictureFile_ = path;
    failedPicture_.clear();
  } else {
    failedPicture_ = path;
    showPictureError(path);
  }
  refreshMarkers();
}

void CGenericForm::refreshFrames() {
  const QString lit = "QFrame { background-color: rgb(76,115,138); }";
  for (auto [frame, on] : {std::pair{advancedFrame_, model_->looks().advancedFramed()},
                           std::pair{tanksFrame_, model_->looks().tanksFramed()}}) {
    // Redrawn only when the state changes.
    const QString want = on ? lit : QString();
    if (frame->styleSheet() != want) frame->setStyleSheet(want);
  }
}

void CGenericForm::refreshLoopCurrent() {
  const LoopCurrentPanel& panel = model_->loopCurrent();
  loopPanel_->setVisible(panel.shown);
  const std::array<const std::string*, 4> texts = {&panel.minVolume, &panel.maxVolume,
                                                   &panel.minCurrent, &panel.maxCurrent};
  for (std::size_t k = 0; k < texts.size(); ++k) setBoxText(loopBoxes_[k], *texts[k]);
}

// "View Tanks": the model's picture with the overlays the counter names,
// the blue of each overlay copied onto it. For checking the overlay
// drawings against the positions the model file gives.
void CGenericForm::viewTanks() {
  const AppContext& ctx = context();
  const std::vector<OverlayPoint> overlays = model_->viewTanks();
  logoFile_.clear();  // the logo is read again; the picture is drawn below
  refreshPicture();
  std::vector<CLevelPicture::Overlay> parts;
  for (const OverlayPoint& point : overlays) {
    parts.push_back({QPoint(point.X, point.Y), qs((ctx.Folders.Bitmaps / point.Caption).string())});
  }
  const QString base = qs((ctx.Folders.Bitmaps / ctx.Images.Image).string());
  QString failed;
  if (!picture_->loadWithOverlays(base, parts, failed)) showPictureError(failed);
  pictureFile_.clear();  // the next refresh draws the plain picture again
  refreshMarkers();
}

// The picture cannot be read: the error code and the system's text for it.
void CGenericForm::showPictureError(const QString& path) {
  const std::string message = context().text("ERROR_MESSAGE15");
  int code = 0;
  const QByteArray name = path.toLocal8Bit();
  if (std::FILE* f = std::fopen(name.constData(), "rb"); f != nullptr) {
    std::fclose(f);
    code = EINVAL;  // there, but not a picture
  } else {
    code = errno;
  }
  presenter().messageBox(formatText(message, {code, std::string(std::strerror(code))}),
                         kStyleError);
}

// A line from each shown level box to its point on the picture.
void CGenericForm::refreshMarkers() {
  const ModelImages& images = context().Images;
  std::vector<CLevelPicture::Marker> markers;
  for (int i = 0; i < UnitConfiguration::kLevels; ++i) {
    const LevelRow& row = model_->levelRows()[static_cast<std::size_t>(i)];
    QLineEdit* box = levelBoxes_[static_cast<std::size_t>(i)];
    if (!row.shown || !box->isEnabled() || i >= ModelImages::kOverlays) continue;
    const OverlayPoint& point = images.Overlays[static_cast<std::size_t>(i)];
    if (point.X == 0 && point.Y == 0) continue;
    // Through the page, the nearest widget both lie in.
    const QPoint centre = box->mapTo(this, QPoint(0, box->height() / 2));
    const int y = picture_->mapFrom(this, centre).y();
    markers.push_back({y, QPoint(point.X, point.Y)});
  }
  picture_->setMarkers(std::move(markers));
}

void CGenericForm::resizeEvent(QResizeEvent* event) {
  CPropertyPage::resizeEvent(event);
  refreshMarkers();
}

void CGenericForm::showEvent(QShowEvent* event) {
  CPropertyPage::showEvent(event);
  refreshMarkers();
}

// --- Buttons.

void CGenericForm::openAdvanced() {
  AppContext& ctx = context();
  const bool changed = ctx.Database.PulseRadar != 0
                           ? CAdvancedPulse::run(this, ctx, presenter(), *model_)
                           : CAdvancedForm::run(this, ctx, presenter());
  if (changed) model_->settingsEdited();
}

bool CGenericForm::runPageDialog(QDialog& dialog) {
  fitToTitle(&dialog);
  return runDialog ? runDialog(dialog) : dialog.exec() == QDialog::Accepted;
}

void CGenericForm::openRelaySetPoints() {
  CIndyRelays relays(context(), presenter(), model_->looks().relayUnitsText(), this);
  if (runPageDialog(relays)) {
    model_->settingsEdited();
  }
}

// A structure form, then its outcome to the page: OK stores the shape and
// its units; leaving through the form's "Tanks" button asks for the picker.
void CGenericForm::runTanksForm(CStructureForm& form) {
  const bool ok = runPageDialog(form);
  if (ok) {
    model_->applyStructure(form.shape(), form.outputUnit(), form.dimensionUnit());
  } else {
    model_->tanksCancelled(form.backToShapes());
  }
}

// "Tanks": the structure picker when it shows, then the form of the
// chosen shape's class; a form left through its own "Tanks" button brings
// the picker back.
void CGenericForm::openTanks() {
  AppContext& ctx = context();
  do {
    const ConfigPageModel::TanksStart start = model_->beginTanks();
    std::uint16_t shape = start.shape;
    if (start.showPicker) {
      CNonLinear2 picker(VolumeFormServices::forPage(ctx, presenter(), *model_), ctx.Structures,
                         ctx.Folders.Models, ctx.Values.MakerMode, start.firstPage, shape, this);
      if (runPageDialog(picker)) {
        shape = picker.chosenShape();
        model_->pickerChose(shape);
      } else {
        shape = 0;  // no form follows
        model_->tanksCancelled(false);
      }
    }
    const VolumeFormServices services = VolumeFormServices::forPage(ctx, presenter(), *model_);
    switch (ConfigPageModel::formFor(shape)) {
      case ConfigPageModel::TanksForm::Strapping: {
        CStrappingDlg form(shape, services, this);
        runTanksForm(form);
        break;
      }
      case ConfigPageModel::TanksForm::Tank: {
        CDimensionForm form(shape, services, this);
        runTanksForm(form);
        break;
      }
      case ConfigPageModel::TanksForm::Flow: {
        CFormulaEntryDlg form(shape, services, this);
        runTanksForm(form);
        break;
      }
      case ConfigPageModel::TanksForm::None: break;
    }
    model_->endTanks();
  } while (model_->tanksAgain());
}

void CGenericForm::notYet() {
  presenter().messageBox(context().text("IDC_PAGE_PENDING",
                                        "This part of the page is not available yet."),
                         kStyleInformation);
}

void CGenericForm::runRequest(ConfigPageModel::Request request) {
  using Request = ConfigPageModel::Request;
  switch (request) {
    case Request::None: return;
    case Request::Restart:
      if (QWidget* form = window(); form != this) {
        if (auto* dialog = qobject_cast<QDialog*>(form)) dialog->done(1);
      }
      return;
    case Request::OpenCalPages: openCalPages(); return;
    case Request::OpenDirectEntry: openDirectEntry(); return;
    case Request::OpenInfoMemory: openInfoMemory(); return;
    case Request::OpenTechSupport: openTechSupport(); return;
    default: notYet(); return;
  }
}

bool CGenericForm::runServiceStep(const std::function<ServiceStep()>& step) {
  if (DeviceWork::running()) return false;
  ServiceStep done;
  presenter().showBusy("");
  const bool ran = DeviceWork::run([&] { done = step(); });
  presenter().hideBusy();
  if (!ran) return false;
  if (done.notice) {
    AppContext& ctx = context();
    showNotice(presenter(), *done.notice, &ctx.Language, ctx.Values.LanguageNumber);
  }
  return done.ok();
}

void CGenericForm::openCalPages() {
  CCalPages viewer(context(), context().Memory->Pages, this);
  if (runDialog) {
    runDialog(viewer);
  } else {
    viewer.exec();
  }
}

// The word goes into the page image and the unit; whatever the write did,
// the page then shows the customer page decoded again.
void CGenericForm::openDirectEntry() {
  DirectEntryRequest request{};
  CDirectEntry entry(context(), presenter(), request, this);
  if (!(runDialog ? runDialog(entry) : entry.exec() == QDialog::Accepted)) return;
  UnitMemory& memory = *context().Memory;
  runServiceStep([&] { return writeDirectEntry(memory, request); });
  model_->unitPagesChanged();
}

void CGenericForm::openInfoMemory() {
  AppContext& ctx = context();
  UnitMemory& memory = *ctx.Memory;
  // A failed read leaves the image the unit gave at connect as it was.
  std::array<std::uint8_t, UnitMemory::kInfoSize> read{};
  if (!runServiceStep([&] { return readInfoMemory(memory, read.data()); })) return;
  memory.Info = read;
  CInfoMemory dialog(ctx, presenter(), memory.Info.data(), ctx.Database.GuidedWaveRadar != 0, this);
  if (!(runDialog ? runDialog(dialog) : dialog.exec() == QDialog::Accepted)) return;
  runServiceStep([&] { return writeInfoMemory(memory, memory.Info.data()); });
}

void CGenericForm::openTechSupport() {
  CTechSupport dialog(context(), presenter(), supportContact_, this);
  if (runDialog) {
    runDialog(dialog);
  } else {
    dialog.exec();
  }
}

void CGenericForm::openFile() {
  if (const auto request = model_->serviceCommandInBox()) {
    runRequest(*request);
    return;
  }
  QString chosen;
  if (chooseOpenFile) {
    chosen = chooseOpenFile();
  } else {
    chosen = QFileDialog::getOpenFileName(this, text("IDC_CONFIGFILE", "Open Config File"),
                                          qs(context().Folders.Configs.string()),
                                          "Text Files (*.txt)");
  }
  if (chosen.isEmpty()) return;
  model_->openFile(model_->fileNameFor(chosen.toStdString()));
  // A file may name another model (sample mode loads it).
  refreshModelList();
}

void CGenericForm::saveFile() {
  model_->saveConfigFile([this](std::string& name) {
    QString revised;
    if (chooseSaveName) {
      revised = chooseSaveName(qs(name));
    } else {
      QInputDialog ask(this);
      ask.setWindowTitle(text("IDD_SETFILENAME", "Configuration File Name"));
      ask.setLabelText(text("IDC_NAMING_INST", "File name:"));
      ask.setTextValue(qs(name));
      if (runPageDialog(ask)) revised = ask.textValue();
    }
    if (revised.trimmed().isEmpty()) return false;
    name = revised.trimmed().toStdString();
    return true;
  });
}

void CGenericForm::writeToUnit() {
  if (DeviceWork::running()) return;
  write_->setDown(true);
  presenter().showBusy("");
  // The GUI keeps painting while the unit is written.
  lastWrite_ = model_->writeToUnit(
      [](const std::function<void()>& work) {
        // Refused only when other device work runs, which the guard above
        // already ruled out; the write then simply does not happen.
        [[maybe_unused]] const bool ran = DeviceWork::run(work);
      });
  presenter().hideBusy();
  write_->setDown(false);
  refreshButtons();
}

}  // namespace ostrel
