#pragma once
// The structure picker: a sheet with one page of structures per category
// (only the tanks unless maker mode is on). The active page's structure
// file is loaded into the shared structure data, so the form opened for the
// chosen shape finds it there.

#include <QDialog>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "gui/volume/volume_form_services.h"

class QPushButton;
class QTabWidget;

namespace ostrel {

class CAlternatePage;
struct StructureData;

class CNonLinear2 : public QDialog {
  Q_OBJECT

 public:
  // structures: the record the forms read (services.records.Structures,
  // writable); modelsFolder holds the NONLINEAR files. firstPage: 0 tanks,
  // 1 flumes, 2 weirs. candidate: the shape whose item starts selected.
  CNonLinear2(VolumeFormServices services, StructureData& structures,
              std::filesystem::path modelsFolder, bool makerMode, int firstPage,
              std::uint16_t candidate, QWidget* parent = nullptr);

  // After OK: the chosen shape code (class x 256).
  std::uint16_t chosenShape() const { return chosen_; }

  int pageCount() const { return static_cast<int>(pages_.size()); }
  CAlternatePage* page(int i) const { return pages_[static_cast<std::size_t>(i)]; }
  QTabWidget* tabs() const { return tabs_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }

 private:
  void pageActivated(int index);

  VolumeFormServices services_;
  std::uint16_t candidate_;
  std::uint16_t chosen_;
  std::vector<CAlternatePage*> pages_;
  QTabWidget* tabs_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace ostrel
