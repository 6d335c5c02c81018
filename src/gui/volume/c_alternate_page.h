#pragma once
// One page of the structure picker: the structures of one category (tanks,
// flumes, weirs ...) as icons with their names. Activating the page loads
// the category's structure file into the shared structure data.

#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <string>

class QListWidget;
class QListWidgetItem;

namespace ostrel {

class QtPresenter;
struct StructureData;

class CAlternatePage : public QWidget {
  Q_OBJECT

 public:
  // file: the NONLINEAR entry of the page, read from modelsFolder into
  // structures; icons come from bitmapsFolder.
  CAlternatePage(std::string file, StructureData& structures,
                 std::filesystem::path modelsFolder, std::filesystem::path bitmapsFolder,
                 QtPresenter& presenter, QWidget* parent = nullptr);

  // Loads the structure file and fills the list; the item of the current
  // shape's class is selected (the first item when the class is not listed).
  // False when the file cannot be read: the user is told, the list stays empty.
  bool activate(std::uint16_t currentShape);

  // The shape code of the selected item (class x 256), or 0xFFFF.
  std::uint16_t selectedShape() const;
  QListWidget* list() const { return list_; }
  const std::string& file() const { return file_; }

 signals:
  void shapeChosen(std::uint16_t shape);
  void shapeConfirmed(std::uint16_t shape);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void spaceIcons();

  std::string file_;
  StructureData& structures_;
  std::filesystem::path modelsFolder_;
  std::filesystem::path bitmapsFolder_;
  QtPresenter& presenter_;
  QListWidget* list_ = nullptr;
};

}  // namespace ostrel
